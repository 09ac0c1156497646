#pragma once

#include <QObject>

class QSocketNotifier;
class QWidget;

namespace glint {

// SIGTERM (the session ending), SIGHUP (the terminal gone) and SIGINT
// (Ctrl+C) close the window as its close box does, so the placement is
// written as at any close, and end the program. The handler only writes to
// a pipe; the closing happens on the window's thread, after any modal dialog
// was cancelled.
class EndSignals final : public QObject {
    Q_OBJECT
public:
    explicit EndSignals(QWidget* window);
    ~EndSignals() override;

private:
    void closeWindow();

    QWidget* window_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace glint
