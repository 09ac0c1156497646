#include "EndSignals.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace glint {

namespace {

#ifndef _WIN32
constexpr int handled[] = {SIGTERM, SIGINT, SIGHUP};
int pipeEnds[2] = {-1, -1};

extern "C" void wakeWindowThread(int)
{
    const int saved = errno;
    const char byte = 0;
    // A full pipe has a wake-up waiting already.
    [[maybe_unused]] const auto written = ::write(pipeEnds[1], &byte, 1);
    errno = saved;
}

void setHandler(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : handled) sigaction(number, &action, nullptr);
}
#endif

} // namespace

// Windows ends programs through their windows' close and end-of-session
// messages, which the toolkit turns into closes: no signals to watch.
EndSignals::EndSignals(QWidget* window) : window_(window)
{
#ifndef _WIN32
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &EndSignals::closeWindow);
    setHandler(wakeWindowThread);
#endif
}

EndSignals::~EndSignals()
{
#ifndef _WIN32
    if (!notifier_) return;
    setHandler(SIG_DFL);
    delete notifier_;
    for (int& end : pipeEnds) {
        ::close(end);
        end = -1;
    }
#endif
}

void EndSignals::closeWindow()
{
#ifndef _WIN32
    char drained[16];
    while (::read(pipeEnds[0], drained, sizeof drained) > 0) {
    }
#endif
    // A dialog waiting for an answer is cancelled first (a message box as by
    // its close box), so the window's close is not held up behind it.
    for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(top);
        if (!dialog || !dialog->isModal()) continue;
        if (qobject_cast<QMessageBox*>(dialog))
            dialog->close();
        else
            dialog->reject();
    }
    // Other windows (help, about) would keep the program running: it ends.
    if (window_->close()) QCoreApplication::quit();
}

} // namespace glint
