#include "PlayerActions.h"

#include <QCoreApplication>
#include <QWidget>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "AboutWindow.h"
#include "AudioDevice.h"
#include "FileDialogs.h"
#include "PlaybackRequests.h"
#include "Settings.h"
#include "SampleGain.h"
#include "ShellTexts.h"
#include "UserMessages.h"

namespace {

// A file that can be read now, or a folder that can be listed (the playlist
// walks it for its songs and lists); not a pipe or a device, whose opening
// could wait for a writer without end.
bool canOpenForReading(const std::string& path)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        std::filesystem::directory_iterator listing(path, error);
        return !error;
    }
    if (!std::filesystem::is_regular_file(path, error)) return false;
    std::ifstream file(path, std::ios::binary);
    return file.is_open();
}

} // namespace

PlayerActions::PlayerActions(const MainWindowServices& services, QWidget& face)
    : services_(services), face_(face), volume_(services.settings.getVolume()),
      volumeSave_([&settings = services_.settings](int volume) { settings.putVolume(volume); }),
      equaliserSave_(
          [&settings = services_.settings](const mp3::EqualiserSetting& setting) { settings.putEqualiser(setting); })
{
    services_.device.setGain(gainForVolume(volume_));
    // Only what differs from the engine's own first state is asked.
    PlaybackRequests& player = services_.player;
    const Repeat repeat = services_.settings.getRepeat();
    if (repeat != player.repeat()) player.setRepeat(repeat);
    const bool shuffle = services_.settings.getShuffle();
    if (shuffle != player.shuffle()) player.setShuffle(shuffle);
}

void PlayerActions::play()
{
    PlaybackRequests& player = services_.player;
    if (player.isPaused() && playerRunning()) {
        player.resume();
    } else if (!player.startOnList(StartAt::chosenEntry)) {
        // Nothing opened yet this run: what was opened last.
        const std::string song = services_.settings.getSong();
        if (song.empty() || !canOpenForReading(song)) return;
        player.startPlayerThread(song, StartAt::chosenEntry);
    }
    tellPlaybackChanged();
}

void PlayerActions::togglePause()
{
    PlaybackRequests& player = services_.player;
    if (player.isPaused())
        player.resume();
    else if (playerRunning())
        player.pause();
    tellPlaybackChanged();
}

bool PlayerActions::isPaused() const
{
    return services_.player.isPaused();
}

void PlayerActions::stop()
{
    services_.player.stopPlayback();
    tellPlaybackChanged();
}

void PlayerActions::next()
{
    services_.player.requestNext();
}

void PlayerActions::previous()
{
    services_.player.requestPrevious();
}

void PlayerActions::open()
{
    const std::vector<std::string> chosen =
        services_.dialogs.chooseSongs(&face_, services_.settings.getSong(), FileDialogs::Purpose::open);
    if (!chosen.empty()) playPaths(chosen);
}

void PlayerActions::openFolder()
{
    const std::optional<std::string> chosen =
        services_.dialogs.chooseFolder(&face_, services_.settings.getSong(), FileDialogs::Purpose::open);
    if (chosen) playPath(*chosen);
}

void PlayerActions::playPath(const std::string& path)
{
    services_.settings.putSong(path);
    services_.player.startPlayerThread(path);
    tellPlaybackChanged();
}

void PlayerActions::playPaths(const std::vector<std::string>& paths)
{
    if (paths.empty()) return;
    // One path is asked for as one, as every other way in asks for it.
    if (paths.size() == 1) {
        playPath(paths.front());
        return;
    }
    services_.settings.putSong(paths.front());
    services_.player.startPlayerThread(paths);
    tellPlaybackChanged();
}

void PlayerActions::addFiles()
{
    const std::vector<std::string> chosen =
        services_.dialogs.chooseSongs(&face_, services_.settings.getSong(), FileDialogs::Purpose::add);
    if (!chosen.empty()) services_.player.addPaths(chosen);
}

void PlayerActions::addFolder()
{
    const std::optional<std::string> chosen =
        services_.dialogs.chooseFolder(&face_, services_.settings.getSong(), FileDialogs::Purpose::add);
    if (chosen) services_.player.addPaths({*chosen});
}

Repeat PlayerActions::repeat() const
{
    return services_.player.repeat();
}

void PlayerActions::setRepeat(Repeat repeat)
{
    services_.player.setRepeat(repeat);
    services_.settings.putRepeat(repeat);
    tellPlaybackChanged();
}

bool PlayerActions::shuffle() const
{
    return services_.player.shuffle();
}

void PlayerActions::setShuffle(bool shuffle)
{
    // Asked again (the media controls may), shuffle would deal a new round.
    if (shuffle != services_.player.shuffle()) services_.player.setShuffle(shuffle);
    services_.settings.putShuffle(shuffle);
    tellPlaybackChanged();
}

void PlayerActions::takeOverFile(const std::string& path)
{
    // Nothing there to play: the song heard goes on, and the listener is
    // told why the second start changed nothing.
    if (!canOpenForReading(path)) {
        services_.messages.post(shelltext::errorCaption, shelltext::nothingToPlay + path, MessageIcon::none);
        return;
    }
    services_.player.takeOverFile(path);
    services_.settings.putSong(path);
    tellPlaybackChanged();
}

void PlayerActions::seekToFraction(float fraction)
{
    services_.player.requestSeek(std::clamp(fraction, 0.0f, 1.0f));
    if (onSeekAsked) onSeekAsked();
}

void PlayerActions::seekBy(double seconds)
{
    seekTo(services_.player.audible().secondsHeard() + seconds);
}

void PlayerActions::seekTo(double seconds)
{
    // The player places a seek by the song's length in whole seconds.
    const Audible heard = services_.player.audible();
    const double length = heard.lengthSeconds;
    if (!playerRunning() || length <= 0.0) return;
    // Past the end of the song heard: its next entry, from the start.
    if (seconds * 1e6 >= static_cast<double>(heard.lengthMicroseconds)) {
        next();
        return;
    }
    seekToFraction(static_cast<float>(std::max(seconds, 0.0) / length));
}

void PlayerActions::tellPlaybackChanged()
{
    if (onPlaybackChanged) onPlaybackChanged();
}

void PlayerActions::setVolume(int volume)
{
    volume = std::clamp(volume, 0, 100);
    if (volume != volume_) {
        volume_ = volume;
        services_.device.setGain(gainForVolume(volume));
        volumeSave_.changed(volume);
    }
    if (onVolumeChanged) onVolumeChanged(volume);
}

mp3::EqualiserSetting PlayerActions::equaliser() const
{
    return services_.player.equaliser();
}

void PlayerActions::setEqualiser(const mp3::EqualiserSetting& setting)
{
    services_.player.setEqualiser(setting);
    equaliserSave_.changed(setting);
}

void PlayerActions::showAbout()
{
    if (AboutWindow::findOpen()) return;
    // The window deletes itself when a click closes it.
    new AboutWindow(true, services_.settings);
}

void PlayerActions::minimize()
{
    face_.showMinimized();
}

void PlayerActions::quit(bool askAboutSkin)
{
    if (askAboutSkin) {
        const MessageAnswer answer = services_.messages.ask(shelltext::skinQuestionCaption, shelltext::skinQuestion,
                                                            MessageIcon::question, MessageButtons::yesNo);
        // The skin worn is kept aside, for a start whose chooser is cancelled.
        if (answer == MessageAnswer::yes) {
            services_.settings.putSkinBeforeChoosing(services_.settings.getSkin());
            services_.settings.putSkin("");
        }
    }
    services_.player.stopPlayback();
    volumeSave_.saveNow();
    equaliserSave_.saveNow();
    const QPoint topLeft = face_.geometry().topLeft();
    services_.position.writeX(topLeft.x());
    services_.position.writeY(topLeft.y());
    QCoreApplication::exit(0);
}

// --- the engine's state ---

bool PlayerActions::playerRunning() const
{
    return services_.player.isRunning();
}
