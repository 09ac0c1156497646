#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

#include "Audible.h"

class PlayerReadouts;

// A song's length as the readouts show it and exactly.
struct SongLength {
    int seconds = 0;
    std::int64_t microseconds = 0;
};

// The one owner of what is audible, the engine's record behind the public
// Audible (include/Audible.h). The player thread numbers each song as its
// samples begin and tells its path and length; the audio callback
// publishes, after every block played, which song is heard and how many of
// its frames have played: a single atomic store. From the two, any thread
// but the callback's derives the song, its title, its length and the place.
class AudibleSong {
public:
    // A song whose samples come next, or a new place in a song (sameSong, the
    // song that a seek moves in: it is heard as that same song; 0 for a new
    // one). entry is its playlist entry's id. Returns the number its
    // blocks carry, and the song's.
    struct Begun {
        std::uint32_t number = 0;
        std::uint32_t song = 0;
    };
    Begun begin(const std::string& path, int entry, SongLength length, std::uint32_t sameSong = 0);
    // The length of a song begun, when its stream tells another.
    void setLength(std::uint32_t number, SongLength length);
    // A list handed over, or an entry chosen while nothing plays: shown at
    // once, with no length, until a song begun after it is heard. entry is
    // the playlist entry (its id) that Next and Prev go on from.
    void handOver(const std::string& path, int entry);
    // The playlist was built anew: the places of the songs told before name
    // nothing in it.
    void forgetEntries();
    // Nothing plays any more (the device is closed): the song shown stays,
    // at its start, as a next Play would begin it.
    void rest();

    // The song shown and its playlist entry's id; entry -1 when nothing
    // was shown since the list was built.
    struct Shown {
        std::uint32_t song = 0;
        int entry = -1;
        // A list handed over or an entry chosen, not heard yet: it has no
        // place to seek in.
        bool unheard = false;
    };
    Shown shownEntry() const;

    // The audio callback (or the writer, when nothing is queued): song
    // number is heard, frame frames of it played. Takes no lock.
    void publish(std::uint32_t number, std::uint32_t frame) noexcept
    {
        heard_.store(std::uint64_t{number} << 32 | frame, std::memory_order_release);
    }

    Audible now() const;

    // The place last published: the song number heard and its frames played.
    struct Place {
        std::uint32_t number = 0;
        std::uint32_t frame = 0;
    };
    Place heard() const noexcept;
    // Whether song number, or one begun after it, has been heard.
    bool heardFrom(std::uint32_t number) const noexcept { return !before(heard().number, number); }

    // Tells the readouts what is heard when it differs from what they were
    // told last. Not on the audio callback. The record's lock is not held
    // while the readouts are told, so they may ask what is heard.
    void relay(PlayerReadouts& readouts);

private:
    struct Record {
        std::uint32_t number = 0;
        std::uint32_t song = 0;
        std::string path;
        int entry = -1;
        SongLength length;
    };

    // Numbers count up from 1 and are compared as a sequence (a wrap after
    // four thousand million songs does no harm).
    static bool before(std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(a - b) < 0; }
    // The place heard, a hand-over not yet heard taking the place of the
    // songs queued before it.
    Place shown() const;
    Audible nowLocked() const;
    const Record* find(std::uint32_t number) const;

    std::atomic<std::uint64_t> heard_{0};
    std::atomic<std::uint32_t> handedOver_{0};

    mutable std::mutex mutex_;
    // The songs from the one heard to the newest begun.
    std::deque<Record> records_;
    std::uint32_t lastNumber_ = 0;
    std::uint32_t lastSong_ = 0;
    // Keeps the readouts told in order, by one thread at a time; never held
    // with mutex_ taken first.
    std::mutex relayMutex_;
    // What the readouts were told last; nothing before the first song.
    Audible relayed_;
};
