#pragma once

#include "Player.h"
#include "PlayerEngine.h"

// For the engine's tests only (target playback_internals): the engine
// behind a Player.
struct PlayerInternals {
    static PlayerEngine& of(Player& player) { return *player.engine_; }
};
