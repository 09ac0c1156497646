#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// The desktop's requests to end: SIGTERM from the session manager at logout,
// SIGHUP when the terminal goes, SIGINT on Ctrl+C. The handler only writes a
// byte to a pipe; the window thread reads it and runs `end` there, with the
// toolkit's open questions and dialogs closed first as if cancelled. While
// an EndSignals lives, the three signals no longer kill the program.
class EndSignals : public QObject {
public:
    explicit EndSignals(std::function<void()> end);
    ~EndSignals() override;
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

    // True once one of the signals has come.
    bool received() const { return received_; }

private:
    void take();

    std::function<void()> end_;
    QSocketNotifier* notifier_ = nullptr;
    bool received_ = false;
};
