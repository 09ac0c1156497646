#include "IconImage.h"

#include "PngCodec.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace icons {

namespace {

// Megabytes the PNG decoder may allocate for one image: a 256 x 256 image at
// 16 bits per channel with alpha takes half of one.
constexpr int pngAllocationLimitMb = 1;

} // namespace

std::optional<Image> decodePng(const PngImage& png)
{
    // The decoder would inflate the whole stream, however far past the rows
    // it reaches, before it gives up or returns: it only gets one checked first.
    if (!inflatesToItsRows(png)) return std::nullopt;
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(png.bytes.data()),
                                               static_cast<qsizetype>(png.bytes.size()));
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "PNG");
    reader.setAllocationLimit(pngAllocationLimitMb);
    QImage decoded = reader.read();
    if (decoded.isNull() || decoded.width() != png.width || decoded.height() != png.height) return std::nullopt;
    decoded = decoded.convertToFormat(QImage::Format_ARGB32);
    Image image{decoded.width(), decoded.height(), {}};
    image.pixels.reserve(static_cast<std::size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(decoded.constScanLine(y));
        image.pixels.insert(image.pixels.end(), row, row + image.width);
    }
    return image;
}

QImage iconImage(const IconReader& reader, int index)
{
    // Given the decoder, the reader hands back pixels only.
    const auto icon = reader.icon(index, decodePng);
    return icon ? toQImage(std::get<Image>(*icon)) : QImage();
}

QByteArray largestImageAsPng(const IconReader& reader, int index)
{
    const std::vector<std::uint8_t> png = largestImagePng(reader, index);
    return QByteArray(reinterpret_cast<const char*>(png.data()), static_cast<qsizetype>(png.size()));
}

QByteArray iconFile(const IconReader& reader, int index)
{
    const std::vector<StoredImage> images = reader.storedImages(index);
    if (images.empty()) return {};
    const std::vector<std::uint8_t> bytes = iconFileBytes(images);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

QImage toQImage(const Image& image)
{
    QImage result(image.width, image.height, QImage::Format_ARGB32);
    for (int y = 0; y < image.height; ++y)
        std::memcpy(result.scanLine(y), image.pixels.data() + static_cast<std::size_t>(y) * image.width,
                    static_cast<std::size_t>(image.width) * sizeof(std::uint32_t));
    return result;
}

QImage drawnOn(const QImage& icon, QColor background, QSize size)
{
    // An icon at the screen's pixels gets a surface of as many pixels per point.
    const double ratio = icon.isNull() ? 1.0 : icon.devicePixelRatio();
    QImage canvas(size * ratio, QImage::Format_RGB32);
    canvas.setDevicePixelRatio(ratio);
    canvas.fill(background);
    QPainter painter(&canvas);
    painter.drawImage(0, 0, icon);
    return canvas;
}

} // namespace icons
