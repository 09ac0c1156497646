#include "Desktop.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

#ifndef _WIN32
constexpr std::array<int, 3> endSignals{SIGTERM, SIGINT, SIGHUP};

// The pipe's ends; the handler may only touch what is async-signal-safe.
int readEnd = -1;
volatile std::sig_atomic_t writeEnd = -1;

extern "C" void noteSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a request: the byte may be dropped.
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

void handleWith(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : endSignals) sigaction(number, &action, nullptr);
}
#endif

// The modal questions and dialogs that the window thread waits in, each
// closed as its close box would: a question gets its cancelling answer, a
// dialog (also one the desktop draws for us) chooses nothing.
void closeModalDialogs()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(window);
        if (!dialog || !dialog->isModal()) continue;
        if (qobject_cast<QMessageBox*>(dialog))
            dialog->close();
        else
            dialog->reject();
    }
}

} // namespace

// Windows ends programs through their windows' close and end-of-session
// messages, which the toolkit turns into closes: no signals to watch.
EndSignals::EndSignals(std::function<void()> end) : end_(std::move(end))
{
#ifndef _WIN32
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
    readEnd = ends[0];
    writeEnd = ends[1];
    notifier_ = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &EndSignals::take);
    handleWith(noteSignal);
#endif
}

EndSignals::~EndSignals()
{
#ifndef _WIN32
    if (!notifier_) return;
    handleWith(SIG_DFL);
    delete notifier_;
    ::close(readEnd);
    ::close(writeEnd);
    readEnd = -1;
    writeEnd = -1;
#endif
}

void EndSignals::take()
{
#ifndef _WIN32
    char bytes[16];
    while (::read(readEnd, bytes, sizeof bytes) > 0) {
    }
#endif
    if (received_) return;
    received_ = true;
    closeModalDialogs();
    end_();
}
