#pragma once

#include <QRectF>
#include <QWidget>

namespace glint {

// The window's layout is given in twips (1440 to the inch, so 15 a pixel at
// 96 dots per inch). Each placed control keeps its twip rectangle, so that
// layout arithmetic on it never drifts by pixel rounding; the pixels follow
// from the screen's logical DPI.
namespace twips {

int toPixels(const QWidget* widget, double twips);
double fromPixels(const QWidget* widget, int pixels);

// The least length not below `pixels` that covers a whole number of device
// pixels at `devicePixelRatio` (20 for 18 at 1.25), or `pixels` itself when
// no near length does. A container of that height keeps what lies below it
// on whole device pixels, so no one-pixel border there falls between two.
int toWholeDevicePixels(int pixels, double devicePixelRatio);

void place(QWidget* widget, const QRectF& twips);
QRectF of(const QWidget* widget);

void setLeft(QWidget* widget, double left);
void setTop(QWidget* widget, double top);
// A negative length is refused and leaves the control as it was.
bool setWidth(QWidget* widget, double width);
bool setHeight(QWidget* widget, double height);

} // namespace twips
} // namespace glint
