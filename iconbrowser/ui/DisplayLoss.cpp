#include "DisplayLoss.h"

#include "FileList.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace glint {

namespace {

QtMessageHandler toolkitHandler = nullptr;
const char* startingProgram = "";

void startupMessages(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s: cannot show a window: the display \"%s\" could not be reached\n", startingProgram,
                     qgetenv("DISPLAY").constData());
        std::exit(1);
    }
    // The platform layer's complaints on the way are summed up by that one line.
    if (context.category && std::strncmp(context.category, "qt.qpa", 6) == 0) return;
    if (toolkitHandler) toolkitHandler(type, context, text);
}

void endListingsOnDisplayLoss(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (toolkitHandler) toolkitHandler(type, context, text);
    // The toolkit's words for a lost X11 or Wayland connection, just before its exit().
    if (text.startsWith(QLatin1String("The X11 connection broke")) ||
        text.startsWith(QLatin1String("The Wayland connection broke")))
        FileList::endListings();
}

} // namespace

bool checkDisplay(const char* programName)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const QString chosen = qEnvironmentVariable("QT_QPA_PLATFORM");
    const bool needsServer =
        chosen.isEmpty() || chosen.startsWith(QLatin1String("xcb")) || chosen.startsWith(QLatin1String("wayland"));
    if (needsServer && qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
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

void watchDisplayLoss()
{
    toolkitHandler = qInstallMessageHandler(endListingsOnDisplayLoss);
}

} // namespace glint
