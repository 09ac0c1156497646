#include "EngineNowPlaying.h"

#include "MainWindow.h"
#include "Player.h"

std::uint64_t EngineNowPlaying::songNumber() const { return window_.titlesShown(); }

std::string EngineNowPlaying::songPath() const { return window_.titlePath(); }

QString EngineNowPlaying::titleText() const { return window_.titleText(); }

std::int64_t EngineNowPlaying::lengthMicroseconds() const { return player_.songInfo().songMicroseconds.load(); }

std::int64_t EngineNowPlaying::positionMicroseconds() const
{
    if (state() == PlaybackState::stopped)
        return 0;
    const std::uint64_t units = player_.control().playedUnits.load();
    return static_cast<std::int64_t>(units * 1'000'000 / unitsPerSecond);
}

PlaybackState EngineNowPlaying::state() const
{
    if (player_.control().playerRunning.load() != 1)
        return PlaybackState::stopped;
    return player_.isPaused() ? PlaybackState::paused : PlaybackState::playing;
}

bool EngineNowPlaying::seekPending() const
{
    const PlayerControl& control = player_.control();
    return control.seekFraction.load() != noSeek || control.resetPending.load() != 0;
}
