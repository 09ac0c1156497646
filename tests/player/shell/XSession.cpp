#include "XSession.h"

#include <QStandardPaths>

bool XvfbServer::toolInstalled(const char* name)
{
    return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
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
