#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// What a song's tags say about it: its title, artist and album, as UTF-8.
// An ID3v2 tag (versions 2.2, 2.3 and 2.4) at the start of the file is read
// first; an ID3v1 tag in the file's last 128 bytes fills what it left empty.
//
// How the tags report: never by failing. A file that cannot be read, or
// whose tags are missing, damaged or of a kind not read, gives the fields it
// could read and leaves the others empty; the caller then names the song by
// its file. Nothing here throws or tells the listener anything.
namespace songtags {

struct SongTags {
    std::string title;
    std::string artist;
    std::string album;

    bool empty() const { return title.empty() && artist.empty() && album.empty(); }
};

// At most this many bytes of an ID3v2 tag are read; frames beyond them (a
// tag swollen by pictures) are passed over.
inline constexpr std::size_t maxTagBytes = 1 << 20;
// Each text is cut to at most this many bytes, at a character's start.
inline constexpr std::size_t maxTextBytes = 1024;

// The tags of the file at path; empty when it has none or cannot be read.
// Reads at most maxTagBytes + 138 bytes of it.
SongTags readSongTags(const std::string& path);

// The tags in head (the file's first bytes, up to maxTagBytes of its ID3v2
// tag) and tail (its last 128 bytes, or fewer for a shorter file).
SongTags tagsOf(std::span<const std::uint8_t> head, std::span<const std::uint8_t> tail);

} // namespace songtags
