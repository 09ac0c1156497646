#include "Skin.h"

#include <QPainter>

SkinLabel::SkinLabel(SkinWindow* parent, int x, int y, const BitmapPiece& background, const QString& fontFace,
                     QColor colour)
    : SkinWindow("Label", generatedClassName()), background_(background), fontFace_(fontFace), colour_(colour)
{
    createWindow(parent, true, QRect(x, y, background.width, background.height));
}

void SkinLabel::setText(const QString& text)
{
    if (text == text_) return;
    text_ = text;
    repaintNow();
}

void SkinLabel::setNumber(int value)
{
    setText(QString::number(value));
}

void SkinLabel::onPaint(QPainter& target)
{
    background_.draw(target);
    if (!font_) font_ = skinFont(fontFace_, background_.height);
    target.setFont(*font_);
    target.setPen(colour_);
    target.drawText(QRect(0, 0, width(), height()), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text_);
}

QString timeText(int seconds)
{
    // Whole seconds only ever count up from 0; a negative value shows as 0.
    const unsigned s = seconds < 0 ? 0u : unsigned(seconds);
    return QStringLiteral("%1%2:%3%4").arg(s / 600 % 6).arg(s / 60 % 10).arg(s / 10 % 6).arg(s % 10);
}
