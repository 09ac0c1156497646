#include "Application.h"

#include <QCoreApplication>
#include <QString>
#include <QTimer>
#include <cstdio>

#include "Desktop.h"
#include "EngineNowPlaying.h"
#include "FileDialogs.h"
#include "HandOff.h"
#include "MainWindow.h"
#include "Player.h"
#include "PlaylistWindow.h"
#include "Settings.h"
#include "ShellReadouts.h"
#include "ShellTexts.h"
#include "SkinChoice.h"
#include "UserMessages.h"

Application::Application(Places places, std::string commandLine, const Parts& parts, std::string singleInstanceFolder)
    : places_(std::move(places)), commandLine_(std::move(commandLine)), parts_(parts),
      singleInstanceFolder_(std::move(singleInstanceFolder))
{
}

int Application::run()
{
    // Refused before anything lays it out, plays it or keeps it.
    if (commandLine_.size() > handoff::maxPathBytes) {
        std::fprintf(stderr, "sonorbox: %s\n", handoff::tooLongText(commandLine_).c_str());
        return 1;
    }
    SingleInstance instance(QString::fromStdString(singleInstanceFolder_), platform::displayName());
    if (!instance.claim()) {
        // The running player comes back into view; a start without a path
        // changes nothing else in it.
        switch (instance.handOver(commandLine_)) {
        case SingleInstance::Answer::taken:
            return 0;
        case SingleInstance::Answer::notAnswered:
            if (commandLine_.empty()) return 0;
            std::fprintf(stderr, "sonorbox: the running player did not answer; \"%s\" was not handed over\n",
                         commandLine_.c_str());
            return 1;
        case SingleInstance::Answer::otherUser:
            std::fprintf(stderr, "sonorbox: %s was another user's; this player runs in its place\n",
                         instance.socketPath().toLocal8Bit().constData());
            break;
        }
    }

    // From here on logout, a closed terminal and Ctrl+C end the player as
    // Escape does; before the window is there, they end the start.
    MainWindow* shown = nullptr;
    EndSignals endSignals([&shown] {
        if (shown) shown->actions().quit(false);
    });

    settingsFile_ =
        settingslocation::settingsFileFor(places_.programDirectory, places_.userConfigFolder, places_.defaultSkin);
    // A save that fails is told once, and on standard error, where the end
    // of the program cannot hide it.
    SettingsNotices notices([this](const std::string& text) {
        std::fprintf(stderr, "sonorbox: %s\n", text.c_str());
        parts_.messages.post(shelltext::errorCaption, text, MessageIcon::warning);
    });
    PlayerSettings settings(settingsFile_);
    WindowPosition position(settingsFile_);
    settings.setNotices(&notices);
    position.setNotices(&notices);
    settings.setProgramDirectory(places_.programDirectory);
    if (!wearSkin(settings, endSignals)) return 0;

    ShellReadouts readouts;
    Player player(parts_.device, readouts, parts_.messages, settings);
    // The display gone: the toolkit is about to exit(). The player thread
    // and the device end first, and the window's place is kept.
    DisplayLoss displayLoss([&player, &shown] {
        player.stopPlayback();
        if (!shown) return;
        shown->playlistWindow().endNow();
        shown->actions().quit(false);
    });
    MainWindow window(MainWindowServices{player, settings, position, parts_.messages, parts_.dialogs, parts_.device},
                      commandLine_);
    readouts.setWindow(&window);
    window.faceMenu().setSkinFolders(skinchoice::skinFolders(places_.programDirectory, places_.defaultSkin));
    // On the session bus for the desktop's media controls while the window
    // lives.
    EngineNowPlaying nowPlaying(player);
    MprisService mpris(nowPlaying, window.actions(), window);
    // From the message loop: a hand-over tells the window what is heard
    // while the engine still holds its record of it.
    window.onShownChanged = [&mpris] {
        QMetaObject::invokeMethod(&mpris, &MprisService::refresh, Qt::QueuedConnection);
    };
    window.actions().onPlaybackChanged = [&mpris] { mpris.refresh(); };
    window.actions().onSeekAsked = [&mpris] { mpris.noteSeekAsked(); };
    shown = &window;
    // From the message loop: the window reaches the screen first. A second
    // start meanwhile waits for the listening to begin.
    QTimer::singleShot(
        0, [&instance, &window] { instance.listen([&window](const std::string& path) { window.onCopyData(path); }); });

    int exitCode = 0;
    if (endSignals.received()) // while the window was being built
        window.actions().quit(false);
    else
        exitCode = QCoreApplication::exec();
    shown = nullptr;

    // Closed by the platform, the player may still be playing.
    player.stopPlayback();
    window.onShownChanged = nullptr;
    window.actions().onPlaybackChanged = nullptr;
    window.actions().onSeekAsked = nullptr;
    readouts.setWindow(nullptr);
    return exitCode;
}

bool Application::wearSkin(PlayerSettings& settings, const EndSignals& endSignals)
{
    // A skin that cannot be worn is told, and the chooser follows as when
    // none is set; the setting stays until another is chosen.
    if (!settings.getSkin().empty()) {
        const std::string fault = skinchoice::faultOf(settings.skinFile());
        if (fault.empty()) return true;
        skinchoice::tellFault(parts_.messages, fault);
    }
    const std::string chosen = skinchoice::chooseUntilWearable(
        parts_.dialogs, parts_.messages, places_.programDirectory, [&endSignals] { return endSignals.received(); });
    if (endSignals.received()) return false;
    if (!chosen.empty()) {
        settings.putSkin(chosen);
        if (!settings.getSkinBeforeChoosing().empty()) settings.putSkinBeforeChoosing("");
        return true;
    }
    // Cancelled after Quit's Yes: the skin worn before is worn again.
    const std::string before = settings.getSkinBeforeChoosing();
    if (!before.empty() && settings.getSkin().empty()) {
        settings.putSkin(before);
        if (skinchoice::faultOf(settings.skinFile()).empty()) return true;
        settings.putSkin("");
    }
    const std::string text = std::string("Sonorbox cannot continue until a valid skin is selected\n") +
                             "Download Sonorbox skins at the Sonorbox home page:\n\n" + shelltext::homePage +
                             "\n\nRestart the program when a skin has been obtained";
    parts_.messages.ask(shelltext::noSkinCaption, text, MessageIcon::information, MessageButtons::ok);
    return false;
}
