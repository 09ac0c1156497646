#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FileDialogs.h"
#include "MainWindow.h"
#include "ProcessUntil.h"
#include "Player.h"
#include "PlayerActions.h"
#include "Settings.h"
#include "RecordingMessages.h"
#include "RecordingRequests.h"
#include "ShellReadouts.h"
#include "Skin.h"
#include "TempFolder.h"
#include "TestAudioDevice.h"

// Dialogs that answer with set paths, and count how often they were shown.
class TestFileDialogs : public FileDialogs {
public:
    std::string skinAnswer;
    // Answered first, one a time, before skinAnswer.
    std::vector<std::string> skinAnswers;
    // The songs chosen; none: cancelled.
    std::vector<std::string> songAnswer;
    std::optional<std::string> folderAnswer;
    std::string lastSongShown;
    // What the song or folder dialog last shown was for.
    std::optional<Purpose> lastPurpose;
    int skinAsked = 0;
    // What happens while the skin chooser is open, before it answers.
    std::function<void()> whileSkinAsked;

    std::string chooseSkinFile(const std::string&) override
    {
        ++skinAsked;
        if (whileSkinAsked) whileSkinAsked();
        if (skinAnswers.empty()) return skinAnswer;
        const std::string answer = skinAnswers.front();
        skinAnswers.erase(skinAnswers.begin());
        return answer;
    }
    std::optional<std::string> chooseFolder(QWidget*, const std::string& currentSong, Purpose purpose) override
    {
        lastSongShown = currentSong;
        lastPurpose = purpose;
        return folderAnswer;
    }
    std::vector<std::string> chooseSongs(QWidget*, const std::string& currentSong, Purpose purpose) override
    {
        lastSongShown = currentSong;
        lastPurpose = purpose;
        return songAnswer;
    }
    std::optional<std::string> listToSaveAnswer;
    std::optional<std::string> chooseListToSave(QWidget*, const std::string& nearSong) override
    {
        lastSongShown = nearSong;
        return listToSaveAnswer;
    }
};

inline std::string testSkin(const std::string& name)
{
    return std::string(TEST_DATA_DIR) + "/skins/" + name + "/Skin.ini";
}
inline std::string testSong(const std::string& name)
{
    return std::string(TEST_DATA_DIR) + "/mp3/" + name;
}

// A main window on a test skin, a test audio device and recorded messages,
// with its settings file in a folder of its own.
struct ShellFixture {
    TempFolder folder;
    std::string settingsFile = folder.file("Sonorbox.ini");
    PlayerSettings settings{settingsFile};
    WindowPosition position{settingsFile};
    TestAudioDevice device;
    RecordingMessages messages;
    TestFileDialogs dialogs;
    ShellReadouts readouts;
    Player player{device, readouts, messages, settings};
    // The window asks the player through it.
    RecordingRequests requests{player};
    std::unique_ptr<MainWindow> window;

    explicit ShellFixture(const std::string& skin = testSkin("Vertical")) { settings.putSkin(skin); }

    std::uint32_t heardFrame() { return player.audible().positionFrames; }
    // The device's resets-th reset (a seek, Next, Prev) was made and audio
    // has been queued after it: the player has set the place it heard from.
    bool waitForResets(int resets)
    {
        return processUntil([&] { return device.resets() == resets && device.writes() > device.writesAtLastReset(); });
    }
    ~ShellFixture()
    {
        player.stopPlayback();
        readouts.setWindow(nullptr);
        window.reset();
    }

    MainWindow& open(const std::string& commandLine = std::string())
    {
        window = std::make_unique<MainWindow>(
            MainWindowServices{requests, settings, position, messages, dialogs, device}, commandLine);
        readouts.setWindow(window.get());
        return *window;
    }

    // The control of the window whose rectangle is rect.
    template <typename Control>
    Control* controlAt(const SkinRect& rect)
    {
        QWidget* child = window->childAt(rect.x + rect.width / 2, rect.y + rect.height / 2);
        return dynamic_cast<Control*>(child);
    }

    static void click(QWidget* control, QPoint releaseAt = QPoint(1, 1))
    {
        QTest::mousePress(control, Qt::LeftButton, {}, QPoint(1, 1));
        QTest::mouseRelease(control, Qt::LeftButton, {}, releaseAt);
    }
};
