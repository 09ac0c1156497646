#include "IconImage.h"

#include <QPainter>

#include <cstring>

namespace icons {

QImage toQImage(const Icon& icon)
{
    if (const auto* png = std::get_if<PngImage>(&icon)) {
        QImage decoded = QImage::fromData(png->bytes.data(), static_cast<int>(png->bytes.size()), "PNG");
        if (decoded.isNull()) return {};
        decoded = decoded.convertToFormat(QImage::Format_ARGB32);
        Image image{decoded.width(), decoded.height(), {}};
        image.pixels.reserve(static_cast<std::size_t>(image.width) * image.height);
        for (int y = 0; y < image.height; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(decoded.constScanLine(y));
            image.pixels.insert(image.pixels.end(), row, row + image.width);
        }
        return toQImage(fitToStandardSize(std::move(image)));
    }
    const auto& image = std::get<Image>(icon);
    QImage result(image.width, image.height, QImage::Format_ARGB32);
    for (int y = 0; y < image.height; ++y)
        std::memcpy(result.scanLine(y), image.pixels.data() + static_cast<std::size_t>(y) * image.width,
            static_cast<std::size_t>(image.width) * sizeof(std::uint32_t));
    return result;
}

QImage drawnOn(const QImage& icon, QColor background, QSize size)
{
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(background);
    QPainter painter(&canvas);
    painter.drawImage(0, 0, icon);
    return canvas;
}

} // namespace icons
