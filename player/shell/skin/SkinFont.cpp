#include "Skin.h"

#include <QFontMetrics>
#include <QGuiApplication>

QFont skinFont(const QString& face, int height)
{
    QFont font = face.isEmpty() ? QGuiApplication::font() : QFont(face);
    font.setBold(true);
    font.setStyleStrategy(QFont::PreferAntialias);
    const int wanted = height > 1 ? height : 1;
    font.setPixelSize(wanted);
    // A pixel size is the height of the letters alone; the line is taller by
    // the face's leading. Shrink until the whole line fits.
    const int lineHeight = QFontMetrics(font).height();
    if (lineHeight > wanted) {
        int size = wanted * wanted / lineHeight;
        font.setPixelSize(size > 1 ? size : 1);
        while (size > 1 && QFontMetrics(font).height() > wanted) font.setPixelSize(--size);
    }
    return font;
}
