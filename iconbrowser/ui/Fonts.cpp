#include "Fonts.h"

namespace glint {

namespace {

QFont font(const QString& family, QFont::StyleHint hint, double points, bool bold)
{
    QFont result(family);
    result.setStyleHint(hint);
    result.setPointSizeF(points);
    result.setBold(bold);
    return result;
}

} // namespace

QFont sansSerif(double points, bool bold)
{
    return font(QStringLiteral("MS Sans Serif"), QFont::SansSerif, points, bold);
}

QFont comicSans(double points, bool bold)
{
    return font(QStringLiteral("Comic Sans MS"), QFont::Cursive, points, bold);
}

} // namespace glint
