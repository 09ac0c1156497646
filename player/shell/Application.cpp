#include "Application.h"

#include <QCoreApplication>
#include <QString>
#include <QTimer>
#include <cstdio>

#include "EngineNowPlaying.h"
#include "FileDialogs.h"
#include "MainWindow.h"
#include "MprisService.h"
#include "PathText.h"
#include "Platform.h"
#include "Player.h"
#include "PlayerSettings.h"
#include "SettingsLocation.h"
#include "ShellReadouts.h"
#include "ShellTexts.h"
#include "SingleInstance.h"
#include "UserMessages.h"
#include "WindowPosition.h"

Application::Application(Places places, std::string commandLine, const Parts& parts,
                         std::string singleInstanceFolder)
    : places_(std::move(places)), commandLine_(std::move(commandLine)), parts_(parts),
      singleInstanceFolder_(std::move(singleInstanceFolder))
{
}

int Application::run()
{
    SingleInstance instance(QString::fromStdString(singleInstanceFolder_), platform::displayName());
    if (!instance.claim()) {
        // A start without a path changes nothing in the running player.
        if (commandLine_.empty() || instance.handOver(commandLine_))
            return 0;
        std::fprintf(stderr, "sonorbox: the running player did not answer; \"%s\" was not handed over\n",
                     commandLine_.c_str());
        return 1;
    }

    settingsFile_ =
        settingslocation::settingsFileFor(places_.programDirectory, places_.userConfigFolder, places_.defaultSkin);
    PlayerSettings settings(settingsFile_);
    WindowPosition position(settingsFile_);
    if (settings.getSkin().empty() && !chooseSkin(settings))
        return 0;

    ShellReadouts readouts;
    Player player(parts_.device, readouts, parts_.messages, settings);
    MainWindow window(MainWindowServices{player, settings, position, parts_.messages, parts_.dialogs, parts_.device},
                      commandLine_);
    readouts.setWindow(&window);
    // On the session bus for the desktop's media controls while the window
    // lives.
    EngineNowPlaying nowPlaying(player, window);
    MprisService mpris(nowPlaying, window.actions(), window);
    window.onShownChanged = [&mpris] { mpris.refresh(); };
    window.actions().onPlaybackChanged = [&mpris] { mpris.refresh(); };
    window.actions().onSeekAsked = [&mpris] { mpris.noteSeekAsked(); };
    // From the message loop: the window reaches the screen first. A second
    // start meanwhile waits for the listening to begin.
    QTimer::singleShot(0, [&instance, &window] {
        instance.listen([&window](const std::string& path) { window.onCopyData(path); });
    });

    const int exitCode = QCoreApplication::exec();

    // Closed by the platform, the player may still be playing.
    player.stopPlayback();
    window.onShownChanged = nullptr;
    window.actions().onPlaybackChanged = nullptr;
    window.actions().onSeekAsked = nullptr;
    readouts.setWindow(nullptr);
    return exitCode;
}

bool Application::chooseSkin(PlayerSettings& settings)
{
    const std::string chosen = parts_.dialogs.chooseSkinFile(places_.programDirectory);
    const std::string name = pathtext::fileNameOf(chosen);
    if (name.empty() || !pathtext::endsWithNoCase(name, shelltext::skinFileName) ||
        name.size() != std::string_view(shelltext::skinFileName).size()) {
        const std::string text = std::string("Sonorbox cannot continue until a valid skin is selected\n") +
                                 "Download Sonorbox skins at the Sonorbox home page:\n\n" + shelltext::homePage +
                                 "\n\nRestart the program when a skin has been obtained";
        parts_.messages.ask(shelltext::noSkinCaption, text, MessageIcon::information, MessageButtons::ok);
        return false;
    }
    settings.putSkin(chosen);
    return true;
}
