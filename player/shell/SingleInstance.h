#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

// One running player per user and display. The running player holds a lock
// file and listens on a local socket, both in the user's private runtime
// folder and named for the display it shows its window on; a
// second start hands its path over through the socket and ends when the
// running player has taken it over. A crashed player leaves a lock that its
// dead process no longer holds and a socket that nobody answers: the next
// start takes both over.
class SingleInstance {
public:
    // folder: where the lock and the socket live; empty for the user's
    // runtime folder. display: the display the player shows its window on
    // (platform::displayName), empty for none. patience: how long a second start keeps trying to reach
    // a player that holds the lock but does not listen yet (still starting,
    // or asking for a skin).
    explicit SingleInstance(const QString& folder = QString(), const QString& display = QString(),
                            std::chrono::milliseconds patience = std::chrono::seconds(20));
    ~SingleInstance();

    // True when this process is now the running player. Of two processes
    // that ask at the same moment, exactly one is.
    bool claim();

    // For the running player: from now on every handed-over path is given to
    // takeOver on the window thread, and the second start is let go after.
    bool listen(std::function<void(const std::string&)> takeOver);

    // For a second start: hands path over and waits until the running player
    // has taken it. False when no running player answered.
    bool handOver(const std::string& path);

private:
    void serve(class QLocalSocket* socket);

    QString socketPath_;
    std::chrono::milliseconds patience_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
    std::function<void(const std::string&)> takeOver_;
};
