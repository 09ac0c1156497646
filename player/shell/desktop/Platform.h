#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

class QWidget;

// What the player needs to know of the desktop it runs on: the screens, the
// display server, and how windows are placed and moved there.
namespace platform {

// Before the application object exists: on a Wayland session, asks for the
// X11 platform (XWayland) when it is there, since a frameless shaped window
// cannot place itself under Wayland.
void preferX11OnWayland();

// Before the application object exists: true when there is a display to
// connect to; otherwise prints one clear line saying so. Until
// displayConnected, a display that cannot be reached also ends the program
// with one such line (exit status 1) instead of the toolkit's abort.
bool checkDisplay(const char* programName);
void displayConnected();

// The display server this program shows its windows on, one text for every
// spelling of it: X11's host and display number from DISPLAY, without the
// screen (":0" and ":0.0" are one display), or the Wayland display's name
// where no X11 display is used. Empty without a display server (offscreen).
// After the application object exists.
QString displayName();

// An X11 display as "host:number": "localhost:10.0" gives "localhost:10",
// ":0.1" and "unix:0" give ":0". Text that is no X11 display stays as it is.
QString x11DisplayName(const QString& display);

// The top-left corner that centres a window of this size on the primary
// screen's work area (the screen less its panels).
QPoint centredOnWorkArea(const QSize& size);

// The saved place of a window, unless a window of this size there would lie
// wholly off every screen: then the top-left corner of the primary screen.
QPoint restoredPosition(const QPoint& saved, const QSize& size);

// Moves a window dragged by the mouse. Where windows may place themselves
// (X11, Windows) the window moves to topLeft; elsewhere the compositor takes
// over the move. Returns false when it did so and the drag is over for us.
bool moveDraggedWindow(QWidget& window, const QPoint& topLeft);

} // namespace platform
