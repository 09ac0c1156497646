#pragma once

// What the tests of the real program share: a folder holding a copy of
// sonorbox with its settings, started on the tests' virtual X server with
// SDL's disk "device".
#include <gtest/gtest.h>

#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Settings.h"
#include "ProcessUntil.h"
#include "SkinFiles.h"
#include "TempFolder.h"
#include "XSession.h"

// The virtual X server of the test program, started by its main.
inline XvfbServer* xvfb = nullptr;

using Bytes = std::vector<std::uint8_t>;

inline Bytes contentOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline std::uintmax_t sizeOf(const std::string& path)
{
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

// One program folder with sonorbox in it, its settings file, a private
// runtime folder for its single-instance rendezvous and a disk "device".
struct PlayerInstall {
    TempFolder folder;
    TempFolder runtime;
    std::string program = folder.file("sonorbox");
    std::string settings = folder.file("Sonorbox.ini");
    std::string device = folder.file("device.raw");
    QPoint origin{40, 30};
    std::vector<std::unique_ptr<QProcess>> processes;

    PlayerInstall()
    {
        std::filesystem::copy_file(SONORBOX_PROGRAM, program);
        std::filesystem::permissions(runtime.path(), std::filesystem::perms::owner_all);
        IniFile ini(settings);
        ini.write("Sonorbox", "skin", DEFAULT_SKIN "/Skin.ini");
        ini.write("Position", "x", std::to_string(origin.x()));
        ini.write("Position", "y", std::to_string(origin.y()));
    }
    ~PlayerInstall()
    {
        for (auto& process : processes) {
            process->kill();
            process->waitForFinished(5000);
        }
    }

    // extra: variables to set, or with a null value to remove; channels:
    // whether the test's error output is the program's too.
    QProcess& start(const QStringList& arguments = {}, const std::map<QString, QString>& extra = {},
                    QProcess::ProcessChannelMode channels = QProcess::ForwardedErrorChannel)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", xvfb->display());
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.path()));
        environment.insert("SDL_AUDIODRIVER", "disk");
        environment.insert("SDL_DISKAUDIOFILE", QString::fromStdString(device));
        environment.insert("SDL_DISKAUDIODELAY", "8");
        for (const auto& [name, value] : extra) {
            if (value.isNull())
                environment.remove(name);
            else
                environment.insert(name, value);
        }
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(channels);
        process->start(QString::fromStdString(program), arguments);
        EXPECT_TRUE(process->waitForStarted(5000));
        processes.push_back(std::move(process));
        return *processes.back();
    }

    std::string song() const { return IniFile(settings).read("Sonorbox", "song").value_or(""); }

    void click(const SkinRect& rect) const
    {
        const QPoint at = origin + QPoint(rect.x + rect.width / 2, rect.y + rect.height / 2);
        ASSERT_TRUE(runTool("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"}));
    }

    bool playing(std::uintmax_t bytes) const
    {
        return processUntil([&] { return sizeOf(device) > bytes; });
    }
};
