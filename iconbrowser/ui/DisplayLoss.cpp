#include "DisplayLoss.h"

#include "FileList.h"

#include <QString>
#include <QtGlobal>

namespace glint {

namespace {

QtMessageHandler toolkitHandler = nullptr;

void endListingsOnDisplayLoss(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (toolkitHandler) toolkitHandler(type, context, text);
    // The toolkit's words for a lost X11 or Wayland connection, just before its exit().
    if (text.startsWith(QLatin1String("The X11 connection broke")) ||
        text.startsWith(QLatin1String("The Wayland connection broke")))
        FileList::endListings();
}

} // namespace

void watchDisplayLoss()
{
    toolkitHandler = qInstallMessageHandler(endListingsOnDisplayLoss);
}

} // namespace glint
