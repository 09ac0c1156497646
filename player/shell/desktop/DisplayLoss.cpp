#include "Desktop.h"

#include <QString>
#include <QtGlobal>
#include <atomic>

namespace {

std::function<void()> prepareForExit;
QtMessageHandler previousHandler = nullptr;
std::atomic<bool> prepared{false};

// The toolkit's words for a lost X11 or Wayland connection, after which it
// calls exit().
bool saysConnectionBroke(const QString& text)
{
    return text.startsWith(QLatin1String("The X11 connection broke")) ||
           text.startsWith(QLatin1String("The Wayland connection broke"));
}

void watchMessages(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (previousHandler) previousHandler(type, context, text);
    if (saysConnectionBroke(text) && prepareForExit && !prepared.exchange(true)) prepareForExit();
}

} // namespace

DisplayLoss::DisplayLoss(std::function<void()> beforeExit)
{
    prepareForExit = std::move(beforeExit);
    prepared = false;
    previousHandler = qInstallMessageHandler(watchMessages);
}

DisplayLoss::~DisplayLoss()
{
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
    prepareForExit = nullptr;
}
