#include "SingleInstance.h"

#include <QApplication>
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
const QByteArray doneReply = "done\n";

} // namespace

QString SingleInstance::serverName()
{
#ifdef Q_OS_UNIX
    return QStringLiteral("Glint Gatherer %1").arg(getuid());
#else
    return QStringLiteral("Glint Gatherer");
#endif
}

bool SingleInstance::handOverToRunningCopy(const QString& name, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(activateRequest);
    socket.flush();
    // The reply comes once the Enter press has been handled; a copy that
    // answered the connection is running either way.
    while (!socket.canReadLine() && socket.waitForReadyRead(timeoutMs)) {}
    return true;
}

SingleInstance::SingleInstance(QObject* parent) : QObject(parent), server_(new QLocalServer(this))
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

void SingleInstance::activateWithEnter(QWidget* window)
{
    if (window->isMinimized()) window->showNormal();
    window->show();
    window->raise();
    window->activateWindow();
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
            if (!guard || !guard->canReadLine()) return;
            const QByteArray request = guard->readLine();
            if (request == activateRequest && window_) activateWithEnter(window_);
            if (!guard) return;
            guard->write(doneReply);
            guard->flush();
            guard->disconnectFromServer();
        });
    }
}

} // namespace glint
