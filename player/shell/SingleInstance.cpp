#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>

#include "HandOffMessage.h"
#include "ShellTexts.h"

namespace {

QString runtimeFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QDir::tempPath() : folder;
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

// The running player answers one byte when it has taken the path over.
constexpr char takenOver = 1;

} // namespace

SingleInstance::SingleInstance(const QString& folder, const QString& display, std::chrono::milliseconds patience)
    : socketPath_((folder.isEmpty() ? runtimeFolder() : folder) + QLatin1Char('/') + rendezvousName(display)),
      patience_(patience), lock_(socketPath_ + QLatin1String(".lock"))
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
    if (!lock_.tryLock(0)) return false;
    // A socket left by a crashed player would refuse the new one.
    QLocalServer::removeServer(socketPath_);
    return true;
}

bool SingleInstance::listen(std::function<void(const std::string&)> takeOver)
{
    takeOver_ = std::move(takeOver);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) serve(socket);
    });
    return server_->listen(socketPath_);
}

void SingleInstance::serve(QLocalSocket* socket)
{
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
        std::string path;
        std::size_t used = 0;
        const QByteArray received = socket->peek(socket->bytesAvailable());
        switch (handoff::decode(std::string_view(received.constData(), std::size_t(received.size())), path, used)) {
        case handoff::Reading::incomplete:
            return;
        case handoff::Reading::refused:
            socket->abort();
            return;
        case handoff::Reading::complete:
            break;
        }
        socket->read(qint64(used));
        // Once: a client that sends more gets no second take-over.
        socket->disconnect(socket, &QLocalSocket::readyRead, nullptr, nullptr);
        if (takeOver_ && !path.empty()) takeOver_(path);
        socket->write(&takenOver, 1);
        socket->flush();
        socket->disconnectFromServer();
    });
}

bool SingleInstance::handOver(const std::string& path)
{
    QLocalSocket socket;
    QDeadlineTimer patience(patience_.count());
    for (;;) {
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(int(std::min<std::chrono::milliseconds::rep>(patience_.count(), 1000)))) break;
        if (patience.hasExpired()) return false;
        QThread::msleep(50);
    }
    const std::string message = handoff::encode(path);
    socket.write(message.data(), qint64(message.size()));
    if (!socket.waitForBytesWritten(-1) && socket.bytesToWrite() > 0) return false;
    // The running player answers when it has taken the path over, however
    // long that takes; a player that ends meanwhile closes the connection.
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(-1)) return false;
    }
    char answer = 0;
    return socket.read(&answer, 1) == 1 && answer == takenOver;
}
