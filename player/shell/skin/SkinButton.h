#pragma once

#include "Bitmap.h"
#include "SkinWindow.h"

// A push button cut from the skin: the up look from the face, the pressed
// look from the pressed face. It looks pressed from the press until the
// release; only a release inside it (its right and bottom edges included)
// runs its action.
class SkinButton : public SkinWindow {
public:
    SkinButton(SkinWindow* parent, int x, int y, const BitmapPiece& upPiece, const BitmapPiece& downPiece,
               const char* title = "Button");

    virtual void onClick() {}

    void onPaint(QPainter& target) override;
    void onLeftButtonDown(int x, int y, Qt::MouseButtons keys) override;
    void onLeftButtonUp(int x, int y, Qt::MouseButtons keys) override;

    bool looksPressed() const { return currentPiece_ == &downPiece_; }

protected:
    // Shows the pressed look while held; a button that stays down between
    // presses (Pause) sets it after its action.
    void setPressedLook(bool pressed);

    BitmapPiece upPiece_;
    BitmapPiece downPiece_;
    const BitmapPiece* currentPiece_;
};
