#include "EngineNowPlaying.h"

#include "PathText.h"
#include "Player.h"

std::uint64_t EngineNowPlaying::songNumber() const
{
    return player_.audible().song;
}

std::string EngineNowPlaying::songPath() const
{
    return player_.audible().path;
}

QString EngineNowPlaying::titleText() const
{
    return QString::fromStdString(pathtext::withoutExtension(pathtext::fileNameOf(player_.audible().path)));
}

std::int64_t EngineNowPlaying::lengthMicroseconds() const
{
    return player_.audible().lengthMicroseconds;
}

std::int64_t EngineNowPlaying::positionMicroseconds() const
{
    if (state() == PlaybackState::stopped) return 0;
    return std::int64_t{player_.audible().positionFrames} * 1'000'000 / Audible::framesPerSecond;
}

PlaybackState EngineNowPlaying::state() const
{
    if (!player_.isRunning()) return PlaybackState::stopped;
    return player_.isPaused() ? PlaybackState::paused : PlaybackState::playing;
}

bool EngineNowPlaying::seekPending() const
{
    return player_.isSeeking();
}
