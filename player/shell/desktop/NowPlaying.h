#pragma once

#include <QString>
#include <cstdint>
#include <string>

enum class PlaybackState { stopped, paused, playing };

// One consistent record of what is heard: every part of it belongs to the
// same song and moment, also at a song change.
struct HeardNow {
    // A new number each time a song begins to be heard (the same song again
    // too); 0 before the first.
    std::uint64_t songNumber = 0;
    std::string songPath;
    // The title line's text for the song: its file name less the extension.
    QString titleText;
    // Exact, from the stream's length; 0 while unknown.
    std::int64_t lengthMicroseconds = 0;
    // 0 while stopped.
    std::int64_t positionMicroseconds = 0;
    PlaybackState state = PlaybackState::stopped;
};

// What the desktop's media controls ask of the player: which song is heard,
// how long it is and where it is. Read on the window thread, when asked.
class NowPlaying {
public:
    virtual ~NowPlaying() = default;

    virtual HeardNow now() const = 0;
    // From a seek asked until the player has moved to its place.
    virtual bool seekPending() const = 0;
};
