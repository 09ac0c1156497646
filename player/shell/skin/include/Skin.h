#pragma once

// The skin room: a skin loaded from its folder (Skin: the face, the pressed
// face and the layout of SkinFiles.h, read from "Skin.ini" once a load), the
// bitmaps it is cut from, and the window framework every window and control
// of the player is built on: SkinWindow, the buttons cut from the face
// (SkinButton), the text readouts (SkinLabel) and their font. It knows
// nothing of the player: which action a button runs is the app room's. It
// depends on the settings room (the "skin" setting names the skin; "Skin.ini"
// is read as an INI file) and on Qt's widgets.
//
// How it fails: a skin or bitmap that cannot be loaded throws ShellError,
// whose text is the message to show; the program's start ends with it.
// Drawing and the widgets never fail.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "SkinFiles.h"

class PlayerSettings;
class QPainter;

// The texts of the skin's faults, each written once.
namespace shelltext {

inline constexpr const char* bitmapNotLoaded = "Bitmap file could not be loaded.";

} // namespace shelltext

// A failure that ends the program's start with a message: the entry's guard
// shows its text in an error box captioned "Application Exception".
class ShellError : public std::runtime_error {
public:
    explicit ShellError(const std::string& text) : std::runtime_error(text) {}
};

// One skin bitmap, every pixel as stored in its file: the exact colours the
// window shape is made from, and what is drawn.
class Bitmap {
public:
    // Largest side we accept: a skin face is a few hundred pixels, and a
    // bigger file is a damaged or hostile one that would only exhaust memory.
    static constexpr int maxSide = 4096;

    // Throws ShellError("Bitmap file could not be loaded.") when the file is
    // missing, is not a readable Windows bitmap, lacks pixel data its headers
    // promise, or is larger than maxSide.
    static Bitmap load(const std::string& path);

    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    const QImage& image() const { return image_; }

    void drawAt(QPainter& target, int x, int y) const;
    // Copies of the bitmap side by side and row under row, from (0, 0), over
    // the area.
    void drawTiled(QPainter& target, const QRect& area) const;

private:
    explicit Bitmap(QImage image);

    QImage image_;
};

// A rectangle cut out of a bitmap, and where it is drawn on its target. The
// piece does not own the bitmap.
struct BitmapPiece {
    const Bitmap* bitmap = nullptr;
    int sourceX = 0;
    int sourceY = 0;
    int width = 0;
    int height = 0;
    int destinationX = 0;
    int destinationY = 0;

    void draw(QPainter& target) const;
};

// The base of every window and control of the player: a widget that turns
// the user's events into seven operations, so each window says only what it
// does on paint, mouse move, left button down and up (with the mouse held by
// the window from the press to the release), a typed character, its
// destruction by the platform, and a path handed over by a second start.
// The class name is kept as the object name, by which windows are found.
class SkinWindow : public QWidget {
public:
    SkinWindow(const char* title, const QString& className);

    // A class name of a control's own: "WindowClass " and the milliseconds
    // of the clock.
    static QString generatedClassName();

    // Makes the window a control of parent, or a frameless top-level window
    // (topmost above ordinary windows when asked, else a tool window without
    // a task-bar entry), at the given place and size. Not shown yet.
    void createWindow(SkinWindow* parent, bool topmost, const QRect& geometry);
    void showWindow() { show(); }
    // Draws the window at once, outside any paint request of the platform.
    void repaintNow() { repaint(); }

    virtual void onPaint(QPainter&) {}
    virtual void onMouseMove(int /*x*/, int /*y*/, Qt::MouseButtons) {}
    virtual void onLeftButtonDown(int /*x*/, int /*y*/, Qt::MouseButtons) {}
    virtual void onLeftButtonUp(int /*x*/, int /*y*/, Qt::MouseButtons) {}
    virtual void onChar(int /*code*/) {}
    virtual void onDestroy() {}
    virtual void onCopyData(const std::string& /*path*/) {}

protected:
    // The screen point of the mouse at window point (x, y). While a mouse
    // event is being handled it is that event's own screen position: the
    // window may have moved since the platform measured the event's window
    // coordinates (a drag outruns the moves it asks for).
    QPoint mouseOnScreen(int x, int y) const;

    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    const QMouseEvent* mouseEvent_ = nullptr;
};

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

// A text readout: the skin's background piece with the text written over it
// from its top-left corner, in the skin's face and colour, as tall as the
// readout; text past the readout's edge is cut off.
class SkinLabel : public SkinWindow {
public:
    SkinLabel(SkinWindow* parent, int x, int y, const BitmapPiece& background, const QString& fontFace, QColor colour);

    void setText(const QString& text);
    void setNumber(int value);
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

// The font of the title and the readouts: the skin's face (the default face
// when it names none), bold, and as tall as the area it is written in: the
// line, ascent and descent together, fills the area's height.
QFont skinFont(const QString& face, int height);

// A loaded skin: the layout of its "Skin.ini", the face, and the face with
// every button pressed.
struct Skin : SkinLayout {
    Bitmap mainUp;
    Bitmap mainDown;
};

// The bitmap paths of the skin named by the "skin" setting: the file of that
// name in the skin's folder, in whatever letter case it is written there.
std::string skinBitmapPath(const PlayerSettings& settings, const char* fileName);
// The same beside the skin's "Skin.ini" at skinFile.
std::string skinBitmapPath(const std::string& skinFile, const char* fileName);

// Loads "MainUp.bmp", then "MainDown.bmp", then reads "Skin.ini" once and
// takes the keys of "Coordinates" in the order of skinKeys. A bitmap that
// cannot be loaded throws ShellError("Bitmap file could not be loaded."); a
// key that is missing or does not hold all its numbers, or a rectangle that
// does not fit the face, throws a ShellError naming the key and the file.
std::unique_ptr<Skin> loadSkin(const PlayerSettings& settings);
// The same for the skin whose "Skin.ini" is at skinFile.
std::unique_ptr<Skin> loadSkin(const std::string& skinFile);

// A piece of bitmap at the rectangle, drawn at (0, 0) of a control.
BitmapPiece pieceAt(const Bitmap& bitmap, const SkinRect& rect);

// The window's shape: every pixel of the face except those of exactly the
// colour of its top-left pixel.
QRegion buildWindowRegion(const Bitmap& mainUp);
