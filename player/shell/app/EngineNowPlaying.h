#pragma once

#include "Desktop.h"

class Player;

// The song heard as the engine's record of what is audible tells it.
class EngineNowPlaying : public NowPlaying {
public:
    explicit EngineNowPlaying(const Player& player) : player_(player) {}

    HeardNow now() const override;
    bool seekPending() const override;

private:
    const Player& player_;
};
