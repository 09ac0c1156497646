#include "SingleInstance.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QWidget>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace glint {

namespace {

const QByteArray activateRequest = "activate\n";
const QByteArray openPrefix = "open ";
const QByteArray doneReply = "done\n";
// A path percent-encoded takes at most three bytes for each of its own.
constexpr qint64 maxRequestLength = 3 * 65536;

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
    return openPrefix + QFile::encodeName(path).toPercentEncoding() + '\n';
}

std::optional<HandOver> HandOver::fromRequest(const QByteArray& line)
{
    if (line == activateRequest) return HandOver{};
    if (!line.startsWith(openPrefix) || !line.endsWith('\n')) return std::nullopt;
    const QByteArray encoded = line.mid(openPrefix.size(), line.size() - openPrefix.size() - 1);
    const QString path = QFile::decodeName(QByteArray::fromPercentEncoding(encoded));
    if (path.isEmpty() || path.contains(QChar(0))) return std::nullopt;
    return HandOver{path};
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
#ifdef Q_OS_UNIX
    return QStringLiteral("Glint Gatherer %1 %2").arg(getuid()).arg(display);
#else
    return QStringLiteral("Glint Gatherer %1").arg(display);
#endif
}

bool SingleInstance::handOverToRunningCopy(const QString& name, const HandOver& handOver, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(handOver.request());
    socket.flush();
    // The reply comes once the Enter press has been handled; a copy that
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
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const QPointer<QLocalSocket> guard(socket);
        connect(socket, &QLocalSocket::readyRead, this, [this, guard] {
            if (!guard) return;
            if (!guard->canReadLine()) {
                // A line that never ends is no request.
                if (guard->bytesAvailable() > maxRequestLength) guard->abort();
                return;
            }
            const auto handOver = HandOver::fromRequest(guard->readLine(maxRequestLength));
            if (handOver && window_) {
                if (handOver->path.isEmpty()) {
                    activateWithEnter(window_);
                } else {
                    activate(window_);
                    goTo_(handOver->path);
                }
            }
            if (!guard) return;
            guard->write(doneReply);
            guard->flush();
            guard->disconnectFromServer();
        });
    }
}

} // namespace glint
