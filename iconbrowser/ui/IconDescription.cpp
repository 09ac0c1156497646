#include "IconDescription.h"

#include <QStringList>

namespace glint {

QString iconPlace(int index, int count)
{
    return QStringLiteral("Icon %1 of %2").arg(index + 1).arg(count);
}

QString imageSizes(const std::vector<icons::StoredImage>& images)
{
    QStringList parts;
    for (const icons::StoredImage& image : images) {
        const QString size = QStringLiteral("%1 x %2").arg(image.width).arg(image.height);
        parts << (image.png ? size + QStringLiteral(" PNG") : size + QStringLiteral(", %1-bit").arg(image.bitCount));
    }
    return parts.join(QStringLiteral("; "));
}

} // namespace glint
