#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <optional>

#include "Bitmap.h"
#include "SkinWindow.h"

// A text readout: the skin's background piece with the text written over it
// from its top-left corner, in the skin's face and colour, as tall as the
// readout; text past the readout's edge is cut off.
class SkinLabel : public SkinWindow {
public:
    SkinLabel(SkinWindow* parent, int x, int y, const BitmapPiece& background, const QString& fontFace, QColor colour);

    void setText(const QString& text);
    void setNumber(int value) { setText(QString::number(value)); }
    const QString& text() const { return text_; }

    void onPaint(QPainter& target) override;

private:
    BitmapPiece background_;
    QString fontFace_;
    // Made at the first paint: the fonts load after the window is on the
    // screen, not before.
    std::optional<QFont> font_;
    QColor colour_;
    QString text_;
};

// "%d%d:%d%d": minutes and seconds with two numerals each, from 00:00 to
// 59:59 and round again.
QString timeText(int seconds);
