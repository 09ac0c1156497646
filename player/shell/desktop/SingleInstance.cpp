#include "Desktop.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "HandOff.h"

#ifndef _WIN32
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

unsigned userId()
{
#ifdef _WIN32
    return 0;
#else
    return unsigned(::getuid());
#endif
}

// The private folder, or empty with why.
QString handOffFolder(std::string& why)
{
#ifdef _WIN32
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
#else
    const auto folder = handofffolder::choose(qEnvironmentVariable("XDG_RUNTIME_DIR").toStdString(),
                                              QDir::tempPath().toStdString(), userId(), why);
    return folder ? QString::fromStdString(*folder) : QString();
#endif
}

// Whether the process at the other end of a connected local socket runs as
// this user: the kernel's word for it, not the socket file's owner.
bool peerIsThisUser(qintptr descriptor)
{
#if defined(SO_PEERCRED)
    struct ucred peer {};
    socklen_t size = sizeof peer;
    return ::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
#elif !defined(_WIN32)
    uid_t uid = 0;
    gid_t gid = 0;
    return ::getpeereid(int(descriptor), &uid, &gid) == 0 && uid == ::getuid();
#else
    (void)descriptor;
    return true; // a named pipe in the user's own session
#endif
}

// The name of the lock and the socket: the main window's class, and the
// display, written so that any display text makes one file name that a
// socket address can hold.
QString rendezvousName(const QString& display)
{
    QString name = QLatin1String(shelltext::mainWindowClass);
    if (display.isEmpty()) return name;
    constexpr qsizetype longestDisplay = 40;
    QString written;
    for (const QChar c : display) {
        if (c.isLetterOrNumber() && c.unicode() < 128)
            written += c;
        else if (c == QLatin1Char(':') || c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('_'))
            written += c;
        else
            written += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
    }
    if (written.size() > longestDisplay)
        written = QString::fromLatin1(
            QCryptographicHash::hash(display.toUtf8(), QCryptographicHash::Sha256).toHex().left(longestDisplay));
    return name + QStringLiteral(" on ") + written;
}

// Where the socket is: in folder, or in the private folder (empty, with
// why, without one).
QString socketPathIn(const QString& folder, const QString& display, std::string& why)
{
    const QString place = folder.isEmpty() ? handOffFolder(why) : folder;
    return place.isEmpty() ? QString() : place + QLatin1Char('/') + rendezvousName(display);
}

// The running player answers one byte when it has taken the path over.
constexpr char takenOver = 1;

} // namespace

SingleInstance::SingleInstance(const QString& folder, const QString& display, std::chrono::milliseconds patience)
    : socketPath_(socketPathIn(folder, display, noFolderReason_)), patience_(patience),
      lock_(socketPath_ + QLatin1String(".lock"))
{
    // The lock is held as long as the player runs: only a lock whose process
    // has died is stale.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    server_.reset();
    if (lock_.isLocked()) lock_.unlock();
}

bool SingleInstance::claim()
{
    if (socketPath_.isEmpty()) {
        std::fprintf(stderr, "sonorbox: %s: this player runs on its own, without taking over later starts\n",
                     noFolderReason_.c_str());
        return true;
    }
    if (!lock_.tryLock(0)) return false;
    // A socket left by a crashed player would refuse the new one.
    QLocalServer::removeServer(socketPath_);
    return true;
}

bool SingleInstance::listen(std::function<void(const std::string&)> takeOver)
{
    if (socketPath_.isEmpty()) return false;
    takeOver_ = std::move(takeOver);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) serve(socket);
    });
    return server_->listen(socketPath_);
}

void SingleInstance::forget(QLocalSocket* socket)
{
    waiting_.erase(std::remove_if(waiting_.begin(), waiting_.end(),
                                  [socket](const QPointer<QLocalSocket>& s) { return !s || s == socket; }),
                   waiting_.end());
}

void SingleInstance::serve(QLocalSocket* socket)
{
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (!peerIsThisUser(socket->socketDescriptor())) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    // Room for this one: the oldest of those still silent goes.
    forget(nullptr);
    while (waiting_.size() >= mostOpenConnections) {
        const QPointer<QLocalSocket> oldest = waiting_.front();
        waiting_.pop_front();
        if (oldest) {
            oldest->abort();
            oldest->deleteLater();
        }
    }
    waiting_.push_back(socket);
    auto* silence = new QTimer(socket);
    silence->setSingleShot(true);
    QObject::connect(silence, &QTimer::timeout, socket, [this, socket] {
        forget(socket);
        socket->abort();
        socket->deleteLater();
    });
    silence->start(longestSilence);

    QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket, silence] {
        silence->start(longestSilence);
        std::string path;
        std::size_t used = 0;
        const QByteArray received = socket->peek(socket->bytesAvailable());
        switch (handoff::decode(std::string_view(received.constData(), std::size_t(received.size())), path, used)) {
        case handoff::Reading::incomplete:
            return;
        case handoff::Reading::refused:
            forget(socket);
            socket->abort();
            return;
        case handoff::Reading::complete:
            break;
        }
        forget(socket);
        socket->read(qint64(used));
        // Once: a client that sends more gets no second take-over.
        socket->disconnect(socket, &QLocalSocket::readyRead, nullptr, nullptr);
        if (takeOver_) takeOver_(path);
        socket->write(&takenOver, 1);
        socket->flush();
        socket->disconnectFromServer();
    });
}

SingleInstance::Answer SingleInstance::handOver(const std::string& path)
{
    if (socketPath_.isEmpty()) return Answer::notAnswered;
    QLocalSocket socket;
    QDeadlineTimer patience(patience_.count());
    for (;;) {
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(int(std::min<std::chrono::milliseconds::rep>(patience_.count(), 1000)))) break;
        if (patience.hasExpired()) return Answer::notAnswered;
        QThread::msleep(50);
    }
    if (!peerIsThisUser(socket.socketDescriptor())) {
        // Not ours, whoever put it there: it goes, and this start listens in its place.
        socket.abort();
        QLocalServer::removeServer(socketPath_);
        return Answer::otherUser;
    }
    const std::string message = handoff::encode(path);
    socket.write(message.data(), qint64(message.size()));
    if (!socket.waitForBytesWritten(-1) && socket.bytesToWrite() > 0) return Answer::notAnswered;
    // The running player answers when it has taken the path over, however
    // long that takes; a player that ends meanwhile closes the connection.
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(-1)) return Answer::notAnswered;
    }
    char answer = 0;
    return socket.read(&answer, 1) == 1 && answer == takenOver ? Answer::taken : Answer::notAnswered;
}
