#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QPointer>
#include <QString>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>

class QLocalSocket;

// One running player per user and display. The running player holds a lock
// file and listens on a local socket, both in a folder only this user can
// make files in (the runtime folder, or one of the player's own in the
// temporary folder) and named for the display it shows its window on; a
// second start hands its path over through the socket, to a listener of the
// same user only, and ends when the running player has taken it over. A
// crashed player leaves a lock that its dead process no longer holds and a
// socket that nobody answers: the next start takes both over.
class SingleInstance {
public:
    // folder: where the lock and the socket live; empty for the private
    // folder of handofffolder::choose. display: the display the player shows
    // its window on (platform::displayName), empty for none. patience: how
    // long a second start keeps trying to reach a player that holds the lock
    // but does not listen yet (still starting, or asking for a skin).
    explicit SingleInstance(const QString& folder = QString(), const QString& display = QString(),
                            std::chrono::milliseconds patience = std::chrono::seconds(20));
    ~SingleInstance();

    // True when this process is now the running player. Of two processes
    // that ask at the same moment, exactly one is. Without a private folder
    // the player runs on its own (and says so): always true.
    bool claim();

    // For the running player: from now on every handed-over path is given to
    // takeOver on the window thread, and the second start is let go after.
    // Connections that stay silent, and the oldest beyond a few open ones,
    // are dropped, so that idle clients never use up the player's files.
    bool listen(std::function<void(const std::string&)> takeOver);

    enum class Answer {
        taken,       // the running player has taken the path over
        notAnswered, // no running player answered
        otherUser,   // the socket is another user's: nothing was sent, and this start is to run as the player
    };
    // For a second start: hands path over and waits until the running player
    // has taken it.
    Answer handOver(const std::string& path);

    // The socket's path; empty without a private folder.
    const QString& socketPath() const { return socketPath_; }

    // At most this many connections are open at once; a connection may stay
    // silent this long.
    static constexpr std::size_t mostOpenConnections = 16;
    static constexpr std::chrono::milliseconds longestSilence{5000};

private:
    void serve(QLocalSocket* socket);
    void forget(QLocalSocket* socket);

    std::string noFolderReason_; // before socketPath_, which finds it
    QString socketPath_;
    std::chrono::milliseconds patience_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
    std::function<void(const std::string&)> takeOver_;
    // The connections that have not yet sent a whole message, oldest first.
    std::deque<QPointer<QLocalSocket>> waiting_;
};
