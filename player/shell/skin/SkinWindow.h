#pragma once

#include <QWidget>
#include <string>

class QPainter;

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
