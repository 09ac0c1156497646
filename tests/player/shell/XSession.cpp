#include "XSession.h"

#include <QDeadlineTimer>
#include <QStandardPaths>

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
    // The server picks a free display number itself and writes it to its
    // standard output once it listens: no race with other servers starting.
    // Without -noreset it starts itself anew whenever its last client leaves
    // (a tool that looked at it), and refuses a program connecting meanwhile.
    server_.start(QStringLiteral("Xvfb"),
                  {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                   QStringLiteral("800x600x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                   QStringLiteral("-noreset")});
    if (!server_.waitForStarted(5000)) {
        failure_ = QStringLiteral("Xvfb did not start");
        return;
    }
    QDeadlineTimer limit(20000);
    QByteArray written;
    while (!written.contains('\n') && !limit.hasExpired() && server_.state() == QProcess::Running) {
        server_.waitForReadyRead(100);
        written += server_.readAllStandardOutput();
    }
    bool isNumber = false;
    const int number = written.trimmed().toInt(&isNumber);
    if (!written.contains('\n') || !isNumber) {
        failure_ = QStringLiteral("Xvfb did not say which display it took");
        return;
    }
    display_ = number;
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

std::optional<QString> runTool(const QString& program, const QStringList& arguments, std::chrono::milliseconds limit,
                               const QString& display)
{
    QProcess tool;
    if (!display.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display);
        tool.setProcessEnvironment(environment);
    }
    tool.start(program, arguments);
    if (!tool.waitForFinished(int(limit.count()))) {
        tool.kill();
        tool.waitForFinished(2000);
        return std::nullopt;
    }
    if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) return std::nullopt;
    return QString::fromLocal8Bit(tool.readAllStandardOutput());
}
