#include "Twips.h"

#include <QVariant>

#include <cmath>

namespace glint::twips {

namespace {

constexpr double twipsPerInch = 1440.0;
constexpr const char* twipsProperty = "twips";

} // namespace

int toPixels(const QWidget* widget, double twips)
{
    return static_cast<int>(std::lround(twips * widget->logicalDpiX() / twipsPerInch));
}

double fromPixels(const QWidget* widget, int pixels)
{
    return pixels * twipsPerInch / widget->logicalDpiX();
}

int toWholeDevicePixels(int pixels, double devicePixelRatio)
{
    // Scales such as 1.25 or 1.5 repeat within a few pixels; others are left alone.
    constexpr int longestRepeat = 8;
    for (int length = pixels; length < pixels + longestRepeat; ++length) {
        const double device = length * devicePixelRatio;
        if (std::abs(device - std::round(device)) < 1e-6) return length;
    }
    return pixels;
}

void place(QWidget* widget, const QRectF& twips)
{
    widget->setProperty(twipsProperty, twips);
    // Edges are rounded, not the width: neighbours given in twips then meet exactly.
    const int left = toPixels(widget, twips.left());
    const int top = toPixels(widget, twips.top());
    widget->setGeometry(left, top, toPixels(widget, twips.right()) - left, toPixels(widget, twips.bottom()) - top);
}

QRectF of(const QWidget* widget)
{
    const QVariant stored = widget->property(twipsProperty);
    if (stored.isValid()) return stored.toRectF();
    const QRect g = widget->geometry();
    return {fromPixels(widget, g.x()), fromPixels(widget, g.y()), fromPixels(widget, g.width()),
            fromPixels(widget, g.height())};
}

void setLeft(QWidget* widget, double left)
{
    QRectF r = of(widget);
    r.moveLeft(left);
    place(widget, r);
}

void setTop(QWidget* widget, double top)
{
    QRectF r = of(widget);
    r.moveTop(top);
    place(widget, r);
}

bool setWidth(QWidget* widget, double width)
{
    if (width < 0) return false;
    QRectF r = of(widget);
    r.setWidth(width);
    place(widget, r);
    return true;
}

bool setHeight(QWidget* widget, double height)
{
    if (height < 0) return false;
    QRectF r = of(widget);
    r.setHeight(height);
    place(widget, r);
    return true;
}

} // namespace glint::twips
