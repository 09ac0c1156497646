#include "Skin.h"

SkinButton::SkinButton(SkinWindow* parent, int x, int y, const BitmapPiece& upPiece, const BitmapPiece& downPiece,
                       const char* title)
    : SkinWindow(title, generatedClassName()), upPiece_(upPiece), downPiece_(downPiece), currentPiece_(&upPiece_)
{
    createWindow(parent, true, QRect(x, y, upPiece.width, upPiece.height));
}

void SkinButton::onPaint(QPainter& target)
{
    currentPiece_->draw(target);
}

void SkinButton::onLeftButtonDown(int, int, Qt::MouseButtons)
{
    setPressedLook(true);
}

void SkinButton::onLeftButtonUp(int x, int y, Qt::MouseButtons)
{
    setPressedLook(false);
    if (x >= 0 && x <= width() && y >= 0 && y <= height()) onClick();
}

void SkinButton::setPressedLook(bool pressed)
{
    currentPiece_ = pressed ? &downPiece_ : &upPiece_;
    repaintNow();
}
