#include "SingleInstance.h"
#include "FileNames.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <climits>
#include <cstdio>

#include "HandOffFolder.h"

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace glint {

namespace {

const QByteArray activateRequest = "activate\n";
const QByteArray openPrefix = "open ";
const QByteArray doneReply = "done\n";
#ifdef Q_OS_UNIX
constexpr qsizetype pathLimit = PATH_MAX - 1;
#else
constexpr qsizetype pathLimit = 32767;
#endif
// A path percent-encoded takes at most three bytes for each of its own.
constexpr qint64 maxRequestLength = 3 * pathLimit + 16;

// Whether the process at the other end of a connected local socket runs as
// this user: the kernel's word for it, not the socket file's owner.
bool peerIsThisUser(qintptr descriptor)
{
#if defined(SO_PEERCRED)
    struct ucred peer {};
    socklen_t size = sizeof peer;
    return ::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
#elif defined(Q_OS_UNIX)
    uid_t uid = 0;
    gid_t gid = 0;
    return ::getpeereid(int(descriptor), &uid, &gid) == 0 && uid == ::getuid();
#else
    Q_UNUSED(descriptor);
    return true; // a named pipe in the user's own session
#endif
}

// The private folder for the server, or empty after a line saying why.
QString handOffFolder()
{
#ifdef Q_OS_UNIX
    std::string why;
    const auto folder = handofffolder::choose(qEnvironmentVariable("XDG_RUNTIME_DIR").toStdString(),
                                              QDir::tempPath().toStdString(), unsigned(::getuid()), why);
    if (folder) return QString::fromStdString(*folder);
    std::fprintf(stderr, "GlintGatherer: %s: this copy runs on its own, without taking over later starts\n",
                 why.c_str());
    return {};
#else
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
#endif
}

// "host:D.S" is screen S of display D: the display is "host:D".
QString withoutScreen(const QString& x11Display)
{
    const qsizetype colon = x11Display.lastIndexOf(QLatin1Char(':'));
    const qsizetype dot = x11Display.indexOf(QLatin1Char('.'), colon + 1);
    return colon >= 0 && dot > colon ? x11Display.left(dot) : x11Display;
}

} // namespace

QByteArray HandOver::request() const
{
    if (path.isEmpty()) return activateRequest;
    // Percent-encoded, so that any byte of a file name (a line break too) goes over whole.
    return openPrefix + fileNameBytes(path).toPercentEncoding() + '\n';
}

std::optional<HandOver> HandOver::fromRequest(const QByteArray& line)
{
    if (line == activateRequest) return HandOver{};
    if (!line.startsWith(openPrefix) || !line.endsWith('\n')) return std::nullopt;
    const QByteArray encoded = line.mid(openPrefix.size(), line.size() - openPrefix.size() - 1);
    const QByteArray bytes = QByteArray::fromPercentEncoding(encoded);
    if (bytes.size() > pathLimit) return std::nullopt;
    const QString path = fileNameText(bytes);
    if (path.isEmpty() || path.contains(QChar(0))) return std::nullopt;
    return HandOver{path};
}

qsizetype HandOver::longestPath()
{
    return pathLimit;
}

QString HandOver::tooLongText(const QString& path)
{
    constexpr qsizetype shown = 60;
    QString start = path.left(shown);
    // Not half of a character beyond the 16-bit units.
    if (!start.isEmpty() && start.back().isHighSurrogate()) start.chop(1);
    for (QChar& c : start)
        if (c.category() == QChar::Other_Control) c = QLatin1Char('?');
    return QStringLiteral("the path is too long (%1 bytes, at most %2): \"%3%4\"")
        .arg(fileNameBytes(path).size())
        .arg(pathLimit)
        .arg(start, start.size() < path.size() ? QStringLiteral("...") : QString());
}

QString SingleInstance::displayOf(const QString& platform, const QString& x11Display, const QString& waylandDisplay)
{
    if (platform == QLatin1String("wayland") || x11Display.isEmpty())
        return waylandDisplay.isEmpty() && platform == QLatin1String("wayland") ? QStringLiteral("wayland-0")
                                                                                : waylandDisplay;
    return withoutScreen(x11Display);
}

QString SingleInstance::serverName()
{
    // The toolkit reads these to connect; the name follows the display it connects to.
    QString display = displayOf(QGuiApplication::platformName(), qEnvironmentVariable("DISPLAY"),
                                qEnvironmentVariable("WAYLAND_DISPLAY"));
    display.replace(QLatin1Char('/'), QLatin1Char('_')); // a server name is one file name
    const QString folder = handOffFolder();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/Glint Gatherer ") + display;
}

bool SingleInstance::handOverToRunningCopy(const QString& name, const HandOver& handOver, int timeoutMs)
{
    if (name.isEmpty()) return false;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs)) return false;
    // Another user's server, whoever put it there, hears nothing; listen
    // takes its place.
    if (!peerIsThisUser(socket.socketDescriptor())) return false;
    socket.write(handOver.request());
    socket.flush();
    // The reply comes as soon as the copy has the request; a copy that
    // answered the connection is running either way.
    while (!socket.canReadLine() && socket.waitForReadyRead(timeoutMs)) {
    }
    return true;
}

SingleInstance::SingleInstance(std::function<void(const QString&)> goTo, QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)), goTo_(std::move(goTo))
{
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::answer);
}

bool SingleInstance::listen(const QString& name, QWidget* window)
{
    window_ = window;
    if (server_->listen(name)) return true;
    // A server file left by a copy that crashed: nobody answered it above.
    QLocalServer::removeServer(name);
    return server_->listen(name);
}

void SingleInstance::activate(QWidget* window)
{
    if (window->isMinimized()) window->showNormal();
    window->show();
    window->raise();
    window->activateWindow();
}

void SingleInstance::activateWithEnter(QWidget* window)
{
    activate(window);
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

void SingleInstance::answer()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) serve(socket);
}

void SingleInstance::forget(QLocalSocket* socket)
{
    waiting_.erase(std::remove_if(waiting_.begin(), waiting_.end(),
                                  [socket](const QPointer<QLocalSocket>& s) { return !s || s == socket; }),
                   waiting_.end());
}

void SingleInstance::serve(QLocalSocket* socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
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
    connect(silence, &QTimer::timeout, socket, [this, socket] {
        forget(socket);
        socket->abort();
        socket->deleteLater();
    });
    silence->start(longestSilence);

    connect(socket, &QLocalSocket::readyRead, socket, [this, socket, silence] {
        silence->start(longestSilence);
        if (!socket->canReadLine()) {
            // A line that never ends is no request.
            if (socket->bytesAvailable() > maxRequestLength) {
                forget(socket);
                socket->abort();
            }
            return;
        }
        forget(socket);
        const auto handOver = HandOver::fromRequest(socket->readLine(maxRequestLength + 1));
        socket->disconnect(socket, &QLocalSocket::readyRead, nullptr, nullptr);
        // The answer first: what the request does may show a message with an
        // event loop of its own, which must neither hold the later start nor
        // run inside this socket's signal.
        socket->write(doneReply);
        socket->flush();
        socket->disconnectFromServer();
        if (handOver && window_) QTimer::singleShot(0, this, [this, request = *handOver] { act(request); });
    });
}

void SingleInstance::act(const HandOver& handOver)
{
    if (!window_) return;
    if (handOver.path.isEmpty()) {
        activateWithEnter(window_);
    } else {
        activate(window_);
        goTo_(handOver.path);
    }
}

} // namespace glint
