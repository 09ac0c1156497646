#include "Skin.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

Bitmap Bitmap::load(const std::string& path)
{
    // Read whole, as one regular file of a size a face of maxSide can have
    // (a FIFO would block the opening, a device never end), so the check and
    // the image read the same bytes.
    const QFileInfo info(QString::fromStdString(path));
    constexpr qint64 largestFile = qint64(maxSide) * maxSide * 4 + (1 << 16);
    QFile file(info.filePath());
    if (!info.isFile() || info.size() > largestFile || !file.open(QIODevice::ReadOnly))
        throw ShellError(shelltext::bitmapNotLoaded);
    QByteArray bytes = file.read(largestFile + 1);
    if (bytes.size() > largestFile || !bitmapPixelsFit(std::string_view(bytes.constData(), std::size_t(bytes.size()))))
        throw ShellError(shelltext::bitmapNotLoaded);
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "bmp");
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid() || size.width() > maxSide || size.height() > maxSide)
        throw ShellError(shelltext::bitmapNotLoaded);
    QImage image = reader.read();
    if (image.isNull()) throw ShellError(shelltext::bitmapNotLoaded);
    return Bitmap(image.convertToFormat(QImage::Format_RGB32));
}

Bitmap::Bitmap(QImage image) : image_(std::move(image)) {}

void Bitmap::drawAt(QPainter& target, int x, int y) const
{
    target.drawImage(x, y, image_);
}

void Bitmap::drawTiled(QPainter& target, const QRect& area) const
{
    if (width() <= 0 || height() <= 0) return;
    for (int x = 0; x < area.right() + 1; x += width())
        for (int y = 0; y < area.bottom() + 1; y += height()) target.drawImage(x, y, image_);
}

void BitmapPiece::draw(QPainter& target) const
{
    if (bitmap && width > 0 && height > 0)
        target.drawImage(destinationX, destinationY, bitmap->image(), sourceX, sourceY, width, height);
}
