#include "Bitmap.h"

#include <QImageReader>
#include <QPainter>

#include "ShellError.h"
#include "ShellTexts.h"

Bitmap Bitmap::load(const std::string& path)
{
    QImageReader reader(QString::fromStdString(path), "bmp");
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid() || size.width() > maxSide || size.height() > maxSide)
        throw ShellError(shelltext::bitmapNotLoaded);
    QImage image = reader.read();
    if (image.isNull())
        throw ShellError(shelltext::bitmapNotLoaded);
    return Bitmap(image.convertToFormat(QImage::Format_RGB32));
}

Bitmap::Bitmap(QImage image) : image_(std::move(image)) {}

void Bitmap::drawAt(QPainter& target, int x, int y) const { target.drawImage(x, y, image_); }

void Bitmap::drawTiled(QPainter& target, const QRect& area) const
{
    if (width() <= 0 || height() <= 0)
        return;
    for (int x = 0; x < area.right() + 1; x += width())
        for (int y = 0; y < area.bottom() + 1; y += height())
            target.drawImage(x, y, image_);
}

void BitmapPiece::draw(QPainter& target) const
{
    if (bitmap && width > 0 && height > 0)
        target.drawImage(destinationX, destinationY, bitmap->image(), sourceX, sourceY, width, height);
}
