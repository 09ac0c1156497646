#pragma once

#include "Desktop.h"

class PlaybackRequests;

// The song heard as the engine's record of what is audible tells it.
class EngineNowPlaying : public NowPlaying {
public:
    explicit EngineNowPlaying(const PlaybackRequests& player) : player_(player) {}

    HeardNow now() const override;
    bool seekPending() const override;

private:
    const PlaybackRequests& player_;
};
