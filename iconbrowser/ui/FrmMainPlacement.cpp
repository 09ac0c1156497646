// Start and close: the window's position from the settings store, and its
// placement written back when it closes.
#include "FrmMain.h"

#include "Twips.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QLayout>
#include <QWindow>

namespace glint {

namespace {

constexpr double defaultPosition = 1000; // twips
const QString leftKey = QStringLiteral("Settings/MainLeft");
const QString topKey = QStringLiteral("Settings/MainTop");
const QString widthKey = QStringLiteral("Settings/MainWidth");
const QString heightKey = QStringLiteral("Settings/MainHeight");

// A stored number; anything absent or not a number reads as the default.
double readTwips(const QSettings& settings, const QString& key)
{
    bool ok = false;
    const double value = settings.value(key).toString().toDouble(&ok);
    return ok ? value : defaultPosition;
}

bool onSomeScreen(const QRect& frame)
{
    const auto screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(),
                       [&](const QScreen* s) { return s->geometry().intersects(frame); });
}

} // namespace

void FrmMain::Form_Load()
{
    const QSettings& settings = *services_.settings;
    QPoint position(twips::toPixels(this, readTwips(settings, leftKey)),
                    twips::toPixels(this, readTwips(settings, topKey)));
    // A position that lies wholly off every screen (a screen since removed)
    // would hide the window: it opens at the default instead.
    if (!onSomeScreen(QRect(position, frameGeometry().size())))
        position = QPoint(twips::toPixels(this, defaultPosition), twips::toPixels(this, defaultPosition));
    // "MainLeft" and "MainTop" are the frame's place, as written at the close.
    // Under X11 the frame is not known before the window manager has framed
    // the window, so the window asks for its frame to stand there (the
    // north-west gravity of ICCCM 4.1.2.3) rather than moving its client
    // area there, which would creep by the title bar at every start. The size
    // is settled first: a change of geometry at showing would take that back.
    ensurePolished();
    layout()->activate();
    adjustSize();
    move(position);
    create();
    windowHandle()->setFramePosition(position);
}

void FrmMain::Form_Unload()
{
    // A minimised window would store where its icon sits: the previous close's placement stays.
    if (isMinimized()) return;
    QSettings& settings = *services_.settings;
    // The platform window's frame: the widget's own may still hold the margins
    // of before the window manager framed it.
    const QRect frame = windowHandle() ? windowHandle()->frameGeometry() : frameGeometry();
    const auto text = [this](int pixels) {
        return QString::number(static_cast<float>(twips::fromPixels(this, pixels)));
    };
    settings.setValue(leftKey, text(frame.x()));
    settings.setValue(topKey, text(frame.y()));
    settings.setValue(widthKey, text(frame.width()));
    settings.setValue(heightKey, text(frame.height()));
    settings.sync();
}

void FrmMain::mexit_Click()
{
    close();
}

void FrmMain::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    QMainWindow::closeEvent(event);
}

} // namespace glint
