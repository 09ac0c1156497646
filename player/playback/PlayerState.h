#pragma once

#include <atomic>
#include <cstdint>

// The values through which the window thread, the player thread and the audio
// callback work on one song. Each is atomic, and each writer keeps one order:
// a requester writes its request values first and clears keepDecoding last;
// the player thread clears stopRequested as the very last step of its end.
// With sequentially consistent atomics that order is what the readers see.

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
    // Requested position as a fraction of the song; noSeek when none is.
    std::atomic<float> seekFraction{noSeek};
    // Tells the next device reset to keep playedUnits (a seek sets it).
    std::atomic<bool> seekKeepsPosition{false};
    // The next write to the device resets it first.
    std::atomic<int> resetPending{0};
    // Audible progress, 352800 units per second.
    std::atomic<std::uint64_t> playedUnits{0};
    DeviceFormat deviceFormat;
};

// What the readouts show about the song. The title text itself lives with the
// readouts, which are told each new title (PlayerReadouts::setTitle).
struct SongInfo {
    // Whole seconds of the audible song played.
    std::atomic<int> positionSeconds{0};
    // Length estimate of the song being decoded.
    std::atomic<int> decodedSongSeconds{0};
    // Length of the audible song: the seek bar, the callback and seeking use it.
    std::atomic<int> songSeconds{0};
    // The exact lengths, in microseconds, of the song being decoded and of the
    // audible song: what the desktop's media controls report.
    std::atomic<std::int64_t> decodedSongMicroseconds{0};
    std::atomic<std::int64_t> songMicroseconds{0};

    // The song being decoded becomes the audible one.
    void hearDecodedSong()
    {
        songSeconds.store(decodedSongSeconds.load());
        songMicroseconds.store(decodedSongMicroseconds.load());
    }
    // No song is known: a new list or a new player thread.
    void forget()
    {
        decodedSongSeconds.store(0);
        songSeconds.store(0);
        decodedSongMicroseconds.store(0);
        songMicroseconds.store(0);
    }
};

// 44100 frames of 4 bytes are 176400 bytes a second; a completed device block
// of 16384 bytes counts 32768 units, so a second is 352800 units.
inline constexpr std::uint64_t unitsPerSecond = 352800;
inline constexpr std::uint64_t unitsPerBuffer = 32768;
