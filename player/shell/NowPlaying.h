#pragma once

#include <QString>
#include <cstdint>
#include <string>

enum class PlaybackState { stopped, paused, playing };

// What the desktop's media controls ask of the player: which song is heard,
// how long it is and where it is. Read on the window thread, when asked.
class NowPlaying {
public:
    virtual ~NowPlaying() = default;

    // A new number each time a song begins to be heard (the same song again
    // too); 0 before the first.
    virtual std::uint64_t songNumber() const = 0;
    virtual std::string songPath() const = 0;
    // The title line's text for the song: its file name less the extension.
    virtual QString titleText() const = 0;
    // Exact, from the stream's length; 0 while unknown.
    virtual std::int64_t lengthMicroseconds() const = 0;
    virtual std::int64_t positionMicroseconds() const = 0;
    virtual PlaybackState state() const = 0;
    // From a seek asked until the player has moved to its place.
    virtual bool seekPending() const = 0;
};
