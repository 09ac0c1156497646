#pragma once

#include <cstdint>

// Where a block handed to the device came from. Songs are numbered as their
// samples begin (a new song, a seek, a hand-over each take the next number).
// A song's last partial block is continued by the next song's samples, so a
// block may hold the start of a next song; when several very short songs
// begin in one block, the tag names the last of them.
struct BlockTag {
    // The song of the block's first sample, and that sample's frame in it.
    std::uint32_t song = 0;
    std::uint32_t startFrame = 0;
    // Sample frames in the block.
    std::uint32_t frames = 0;
    // The frame in the block where a next song begins, and that song's
    // number; nextSongAt is frames when none begins.
    std::uint32_t nextSongAt = 0;
    std::uint32_t nextSong = 0;

    bool beginsNextSong() const { return nextSongAt < frames; }
    // The song heard once the block has played, and its frames played then.
    std::uint32_t endSong() const { return beginsNextSong() ? nextSong : song; }
    std::uint32_t endFrame() const { return beginsNextSong() ? frames - nextSongAt : startFrame + frames; }
};
