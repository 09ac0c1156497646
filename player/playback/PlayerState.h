#pragma once

#include <atomic>

// The values through which the window thread and the player thread work on
// one song. Each is atomic, and each writer keeps one order: a requester
// writes its request values first and clears keepDecoding last; the player
// thread clears stopRequested as the very last step of its end. With
// sequentially consistent atomics that order is what the readers see. What
// is heard is not kept here: AudibleSong owns it.

// The format that the player asks of the audio device; -1 while not set.
struct DeviceFormat {
    std::atomic<int> sampleRate{-1};
    std::atomic<int> channelCount{-1};
};

inline constexpr float noSeek = -1.0f;

struct PlayerControl {
    std::atomic<int> playerRunning{0};
    std::atomic<int> keepDecoding{0};
    std::atomic<int> stopRequested{0};
    std::atomic<int> nextRequested{0};
    std::atomic<int> prevRequested{0};
    // The entry to play next, by its id, chosen by the listener or by the
    // removal of the entry heard; -1 for none.
    std::atomic<int> entryRequested{-1};
    // The list was edited so that the song decoded ahead no longer comes
    // after the one heard.
    std::atomic<int> listEdited{0};
    // Requested position as a fraction of the song; noSeek when none is.
    std::atomic<float> seekFraction{noSeek};
    // The next write to the device resets it first.
    std::atomic<int> resetPending{0};
    // A new equaliser setting waits to be heard from the place heard.
    std::atomic<int> equaliserAsked{0};
    DeviceFormat deviceFormat;
};
