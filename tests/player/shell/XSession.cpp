#include "XSession.h"

#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QThread>

bool XvfbServer::toolInstalled(const char* name)
{
    return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
}

XvfbServer::XvfbServer()
{
    if (!toolInstalled("Xvfb")) {
        failure_ = QStringLiteral("Xvfb is not installed");
        return;
    }
    for (int candidate = 90; candidate < 190; ++candidate) {
        const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(candidate);
        const QString lock = QStringLiteral("/tmp/.X%1-lock").arg(candidate);
        if (std::filesystem::exists(socket.toStdString()) || std::filesystem::exists(lock.toStdString()))
            continue;
        server_.start(QStringLiteral("Xvfb"), {QStringLiteral(":%1").arg(candidate), QStringLiteral("-screen"),
                                               QStringLiteral("0"), QStringLiteral("800x600x24"),
                                               QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!server_.waitForStarted(5000))
            break;
        QDeadlineTimer limit(10000);
        while (!limit.hasExpired() && server_.state() == QProcess::Running &&
               !std::filesystem::exists(socket.toStdString()))
            QThread::msleep(10);
        if (server_.state() == QProcess::Running && std::filesystem::exists(socket.toStdString())) {
            display_ = candidate;
            return;
        }
        // Another server took the number meanwhile: try the next.
        server_.kill();
        server_.waitForFinished(5000);
    }
    failure_ = QStringLiteral("no display number could be had for Xvfb");
}

XvfbServer::~XvfbServer()
{
    if (server_.state() != QProcess::NotRunning) {
        server_.terminate();
        if (!server_.waitForFinished(5000)) {
            server_.kill();
            server_.waitForFinished(5000);
        }
    }
}

std::optional<QString> runTool(const QString& program, const QStringList& arguments, std::chrono::milliseconds limit)
{
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(int(limit.count()))) {
        tool.kill();
        tool.waitForFinished(2000);
        return std::nullopt;
    }
    if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return std::nullopt;
    return QString::fromLocal8Bit(tool.readAllStandardOutput());
}
