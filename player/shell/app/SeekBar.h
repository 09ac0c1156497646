#pragma once

#include "Skin.h"

class PlayerActions;

// The position in the song, and a click that moves it. Horizontal when at
// least as wide as tall, filling from the left; otherwise vertical, filling
// from the bottom. Each row or column of the bar always shows the same row or
// column of the filled look; only how much of it is covered changes.
class SeekBar : public SkinButton {
public:
    // actions carry out the seek.
    SeekBar(SkinWindow* parent, int x, int y, const BitmapPiece& emptyPiece, const BitmapPiece& filledPiece,
            PlayerActions& actions);

    bool isHorizontal() const { return width() >= fullHeight_; }

    // The seconds heard of the song and its length (0 while not known).
    void showPosition(int positionSeconds, int lengthSeconds);

    // Redraws the bar when the played part of the song covers a different
    // number of pixels than last drawn; otherwise draws nothing.
    void repaintSeekBar();

    // Horizontal: the width of the filled part. Vertical: the top of it.
    int fillValue() const;

    void onPaint(QPainter& target) override;
    void onLeftButtonDown(int x, int y, Qt::MouseButtons keys) override;
    void onLeftButtonUp(int x, int y, Qt::MouseButtons keys) override;

private:
    PlayerActions& actions_;
    int positionSeconds_ = 0;
    int lengthSeconds_ = 0;
    int fullHeight_;
    int lastValue_ = -1;
};
