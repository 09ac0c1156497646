#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QWidget;

namespace glint {

// One running copy per user. A later start finds the running copy's local
// server, asks it to come forward and take an Enter key press, waits until
// that press has been processed, and ends.
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    // The server name for this user.
    static QString serverName();

    // True when a running copy answered `name` and has handled the hand-over.
    static bool handOverToRunningCopy(const QString& name, int timeoutMs);

    explicit SingleInstance(QObject* parent = nullptr);
    // Starts answering later starts on `name`, bringing `window` forward.
    bool listen(const QString& name, QWidget* window);

    // Brings `window` to the front and delivers one Enter key press to the
    // control that has its focus (the window itself when none has).
    static void activateWithEnter(QWidget* window);

private:
    void answer();

    QLocalServer* server_;
    QWidget* window_ = nullptr;
};

} // namespace glint
