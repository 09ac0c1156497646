#pragma once

#include "NowPlaying.h"

class MainWindow;
class Player;

// The song heard as the engine's counters and the main window's title line
// tell it.
class EngineNowPlaying : public NowPlaying {
public:
    EngineNowPlaying(Player& player, const MainWindow& window) : player_(player), window_(window) {}

    std::uint64_t songNumber() const override;
    std::string songPath() const override;
    QString titleText() const override;
    std::int64_t lengthMicroseconds() const override;
    std::int64_t positionMicroseconds() const override;
    PlaybackState state() const override;
    bool seekPending() const override;

private:
    Player& player_;
    const MainWindow& window_;
};
