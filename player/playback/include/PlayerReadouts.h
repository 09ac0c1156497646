#pragma once

#include <cstdint>

#include "Audible.h"

// The readouts of the main window as the engine updates them. The player
// thread calls these (and the window thread, for a hand-over); an
// implementation must return at once (the window shell posts each update to
// its own thread), because the window thread may be waiting for the player
// thread to stop, and must not ask the Player what is heard (the engine holds
// its record meanwhile). The audio callback never calls them.
class PlayerReadouts {
public:
    virtual ~PlayerReadouts() = default;

    // What is heard changed: another song, or another whole second, or the
    // song's length became known (not every block: positionFrames may lag).
    // Updates may be merged: the newest counts.
    virtual void showAudible(const Audible& audible) = 0;
    // The sample-rate readout, in kHz (44 for 44100 Hz).
    virtual void setSampleRateNumber(int kiloHertz) = 0;
    // The bitrate readout, in kbit/s.
    virtual void setBitrateNumber(int kbps) = 0;
    // The Pause button's look: whether the player is paused.
    virtual void showPaused(bool paused) = 0;
    // The playlist changed (Player::listSnapshot tells how); version is the
    // snapshot's. Told after the change, outside the engine's locks, by the
    // thread that made it. Those who show no list need not listen.
    virtual void showListChanged(std::uint64_t /*version*/) {}
};
