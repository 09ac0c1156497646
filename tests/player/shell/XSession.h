#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

// A virtual X server for the tests that need the truth of a real display:
// window shapes, real input events, several processes. Started on a free
// display number, ended with the test run.
class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();

    bool isRunning() const { return display_ >= 0; }
    QString display() const { return QStringLiteral(":%1").arg(display_); }
    // Why it could not start, when it did not.
    const QString& failure() const { return failure_; }

    static bool toolInstalled(const char* name);

private:
    QProcess server_;
    int display_ = -1;
    QString failure_;
};

// Runs a command line tool to its end; its standard output, or nothing when
// it failed. display: the X server it talks to, when not the test's own.
std::optional<QString> runTool(const QString& program, const QStringList& arguments,
                               std::chrono::milliseconds limit = std::chrono::seconds(10),
                               const QString& display = QString());
