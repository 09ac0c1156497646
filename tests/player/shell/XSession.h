#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "XvfbProcess.h"

// A virtual X server for the tests that need the truth of a real display:
// window shapes, real input events, several processes. The server picks a
// free display number itself; ended with the object.
class XvfbServer {
public:
    XvfbServer() : server_("800x600x24") {}

    bool isRunning() const { return server_.isRunning(); }
    QString display() const { return QString::fromStdString(server_.display()); }
    // Why it could not start, when it did not.
    QString failure() const { return QString::fromStdString(server_.failure()); }

    static bool toolInstalled(const char* name);

private:
    xtest::XvfbProcess server_;
};

// Runs a command line tool to its end; its standard output, or nothing when
// it failed. display: the X server it talks to, when not the test's own.
std::optional<QString> runTool(const QString& program, const QStringList& arguments,
                               std::chrono::milliseconds limit = std::chrono::seconds(10),
                               const QString& display = QString());
