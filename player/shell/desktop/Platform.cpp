#include "Desktop.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

bool environmentSet(const char* name)
{
    return !qEnvironmentVariableIsEmpty(name);
}

const char* startingProgram = "";
QtMessageHandler toolkitHandler = nullptr;

// While the display is being connected: the platform layer's own complaints
// are summed up in one line, and its fatal end becomes an ordinary one.
void startupMessages(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s: cannot show a window: the display \"%s\" could not be reached\n", startingProgram,
                     qgetenv("DISPLAY").constData());
        std::exit(1);
    }
    if (context.category && std::strncmp(context.category, "qt.qpa", 6) == 0) return;
    if (toolkitHandler) toolkitHandler(type, context, text);
}

bool onWayland()
{
    return environmentSet("WAYLAND_DISPLAY") || qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
}

} // namespace

void preferX11OnWayland()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // A platform chosen by the user is kept.
    if (environmentSet("QT_QPA_PLATFORM")) return;
    if (onWayland() && environmentSet("DISPLAY")) qputenv("QT_QPA_PLATFORM", "xcb");
#endif
}

bool checkDisplay(const char* programName)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const QString chosen = qEnvironmentVariable("QT_QPA_PLATFORM");
    const bool needsServer =
        chosen.isEmpty() || chosen.startsWith(QLatin1String("xcb")) || chosen.startsWith(QLatin1String("wayland"));
    if (needsServer && !environmentSet("DISPLAY") && !environmentSet("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "%s: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)\n",
                     programName);
        return false;
    }
#endif
    startingProgram = programName;
    toolkitHandler = qInstallMessageHandler(startupMessages);
    return true;
}

void displayConnected()
{
    qInstallMessageHandler(toolkitHandler);
}

QString x11DisplayName(const QString& display)
{
    const qsizetype colon = display.lastIndexOf(QLatin1Char(':'));
    if (colon < 0) return display;
    QString host = display.left(colon);
    // "unix" names the local socket, as an empty host does.
    if (host == QLatin1String("unix")) host.clear();
    const QString numberAndScreen = display.mid(colon + 1);
    const QString number = numberAndScreen.section(QLatin1Char('.'), 0, 0);
    bool isNumber = false;
    const uint value = number.toUInt(&isNumber);
    if (!isNumber) return display;
    return host + QLatin1Char(':') + QString::number(value);
}

QString displayName()
{
    const QString platformName = QGuiApplication::platformName();
    if (platformName.startsWith(QLatin1String("xcb"))) return x11DisplayName(qEnvironmentVariable("DISPLAY"));
    if (platformName.startsWith(QLatin1String("wayland")))
        return qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"));
    return QString();
}

QPoint centredOnWorkArea(const QSize& size)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return QPoint(0, 0);
    const QRect area = screen->availableGeometry();
    // Truncated toward zero: a picture larger than the area starts left of or
    // above it and is cut off at the screen's edges.
    return QPoint(area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2);
}

QPoint restoredPosition(const QPoint& saved, const QSize& size)
{
    const QRect window(saved, size.isEmpty() ? QSize(1, 1) : size);
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->geometry().intersects(window)) return saved;
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? primary->geometry().topLeft() : QPoint(0, 0);
}

bool moveDraggedWindow(QWidget& window, const QPoint& topLeft)
{
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        if (QWindow* handle = window.windowHandle()) handle->startSystemMove();
        return false;
    }
    window.move(topLeft);
    return true;
}

} // namespace platform
