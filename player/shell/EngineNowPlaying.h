#pragma once

#include "NowPlaying.h"

class Player;

// The song heard as the engine's record of what is audible tells it.
class EngineNowPlaying : public NowPlaying {
public:
    explicit EngineNowPlaying(const Player& player) : player_(player) {}

    std::uint64_t songNumber() const override;
    std::string songPath() const override;
    QString titleText() const override;
    std::int64_t lengthMicroseconds() const override;
    std::int64_t positionMicroseconds() const override;
    PlaybackState state() const override;
    bool seekPending() const override;

private:
    const Player& player_;
};
