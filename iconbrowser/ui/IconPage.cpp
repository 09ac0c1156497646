#include "IconPage.h"
#include "FileNames.h"

#include "IconDescription.h"
#include "IconImage.h"
#include "Icons.h"

#include <QFile>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace glint {

namespace {

// The image that best fits `devicePixels`, brought to that size smoothly.
QImage shownAt(const icons::IconReader& reader, int index, int devicePixels, const QImage& standard)
{
    if (devicePixels == icons::standardIconSize || standard.isNull()) return standard;
    const auto image = reader.image(index, {icons::ImageChoice::Rule::Nearest, devicePixels}, icons::decodePng);
    if (!image) return standard;
    QImage shown = icons::toQImage(std::get<icons::Image>(*image));
    if (shown.size() != QSize(devicePixels, devicePixels))
        shown = shown.scaled(devicePixels, devicePixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    shown.setDevicePixelRatio(static_cast<double>(devicePixels) / icons::standardIconSize);
    return shown;
}

} // namespace

int asSixteenBit(int count)
{
    return std::min(count, static_cast<int>(std::numeric_limits<std::int16_t>::max()));
}

std::unique_ptr<icons::IconReader> openIconFile(const QString& path)
{
    return std::make_unique<icons::IconReader>(std::filesystem::path(fileNameBytes(path).toStdString()));
}

ShownFile::ShownFile(QString path, IconFileOpener open) : path_(std::move(path)), open_(std::move(open)) {}

ShownFile::~ShownFile() = default;

IconPage ShownFile::readPage(int first, int boxes, int devicePixels) const
{
    const std::lock_guard turn(reading_);
    if (!reader_) reader_ = open_(path_);
    const icons::IconReader& reader = *reader_;
    IconPage page{path_, first, asSixteenBit(reader.count()), {}};
    page.boxes.resize(static_cast<std::size_t>(std::max(boxes, 0)));
    for (int b = 0; b < boxes; ++b) {
        const int index = first + b;
        if (index < 0 || index >= page.count) continue;
        IconPageBox& box = page.boxes[static_cast<std::size_t>(b)];
        box.icon = icons::iconImage(reader, index);
        box.shown = shownAt(reader, index, devicePixels, box.icon);
        box.details = QStringList{iconPlace(index, page.count), imageSizes(reader.imageList(index))};
    }
    return page;
}

IconPage readIconPage(const QString& path, int first, int boxes, int devicePixels)
{
    return ShownFile(path).readPage(first, boxes, devicePixels);
}

} // namespace glint
