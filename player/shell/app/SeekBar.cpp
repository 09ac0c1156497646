#include "SeekBar.h"

#include <QPainter>
#include <algorithm>

#include "PlayerActions.h"

SeekBar::SeekBar(SkinWindow* parent, int x, int y, const BitmapPiece& emptyPiece, const BitmapPiece& filledPiece,
                 PlayerActions& actions)
    : SkinButton(parent, x, y, emptyPiece, filledPiece, "Seek"), actions_(actions), fullHeight_(emptyPiece.height)
{
}

int SeekBar::fillValue() const
{
    const int position = positionSeconds_;
    const int length = lengthSeconds_;
    const int barWidth = width();
    const int barHeight = fullHeight_;
    if (length <= 0) return isHorizontal() ? 0 : barHeight;
    const double played = static_cast<double>(position) / static_cast<double>(length);
    if (isHorizontal()) return static_cast<int>(played * barWidth);
    return static_cast<int>(barHeight - barHeight * played);
}

void SeekBar::showPosition(int positionSeconds, int lengthSeconds)
{
    positionSeconds_ = positionSeconds;
    lengthSeconds_ = lengthSeconds;
    repaintSeekBar();
}

void SeekBar::repaintSeekBar()
{
    const int value = fillValue();
    if (value == lastValue_) return;
    repaintNow();
}

void SeekBar::onPaint(QPainter& target)
{
    // The platform may ask for a paint at any time (the bar was covered): it
    // always gets the whole bar.
    const int value = fillValue();
    lastValue_ = value;
    upPiece_.draw(target);
    BitmapPiece filled = downPiece_;
    if (isHorizontal()) {
        filled.width = std::clamp(value, 0, width());
    } else {
        const int top = std::clamp(value, 0, fullHeight_);
        filled.destinationY = top;
        filled.sourceY = downPiece_.sourceY + top;
        filled.height = fullHeight_ - top;
    }
    filled.draw(target);
}

void SeekBar::onLeftButtonDown(int, int, Qt::MouseButtons) {}

void SeekBar::onLeftButtonUp(int x, int y, Qt::MouseButtons)
{
    const int barWidth = width();
    const int barHeight = fullHeight_;
    if (x < 0 || x > barWidth || y < 0 || y > barHeight || barWidth <= 0 || barHeight <= 0) return;
    const float fraction = isHorizontal() ? float(x) / float(barWidth) : float(barHeight - y) / float(barHeight);
    // The very start of the bar asks for no seek.
    if (fraction > 0.0f) actions_.seekToFraction(fraction);
}
