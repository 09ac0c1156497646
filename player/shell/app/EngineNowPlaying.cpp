#include "EngineNowPlaying.h"

#include "PlaybackRequests.h"
#include "TitleLine.h"

HeardNow EngineNowPlaying::now() const
{
    // One reading of the engine's record: song, length and place together.
    const Audible audible = player_.audible();
    HeardNow heard;
    heard.songNumber = audible.song;
    heard.songPath = audible.path;
    heard.titleText = titleLineOf(audible.path);
    heard.lengthMicroseconds = audible.lengthMicroseconds;
    if (player_.isRunning()) {
        heard.state = player_.isPaused() ? PlaybackState::paused : PlaybackState::playing;
        heard.positionMicroseconds = std::int64_t{audible.positionFrames} * 1'000'000 / Audible::framesPerSecond;
    }
    return heard;
}

bool EngineNowPlaying::seekPending() const
{
    return player_.isSeeking();
}
