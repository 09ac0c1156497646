#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tagbytes {

// Sizes in four bytes of seven bits each, as ID3v2 writes the tag's size
// (and, from 2.4 on, each frame's).
inline std::string syncsafe(std::uint32_t value)
{
    std::string bytes;
    for (int shift = 21; shift >= 0; shift -= 7) bytes += static_cast<char>(value >> shift & 0x7F);
    return bytes;
}

inline std::string bigEndian(std::uint32_t value, int count)
{
    std::string bytes;
    for (int i = count - 1; i >= 0; --i) bytes += static_cast<char>(value >> (8 * i));
    return bytes;
}

// Inserts a zero after every 0xFF byte that a zero or a byte from 0xE0 up
// follows, and after a final 0xFF: the unsynchronisation scheme of ID3v2.
inline std::string unsynchronised(const std::string& bytes)
{
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        const auto next = i + 1 < bytes.size() ? static_cast<std::uint8_t>(bytes[i + 1]) : 0;
        if (static_cast<std::uint8_t>(bytes[i]) == 0xFF && (next == 0 || next >= 0xE0)) out += '\0';
    }
    return out;
}

// One frame of an ID3v2 tag of version (2, 3 or 4): identifier, size
// (3 bytes for 2.2, 4 for 2.3, 4 syncsafe for 2.4), the two format flag bytes
// from 2.3 on, then data.
inline std::string id3Frame(int version, const std::string& id, const std::string& data, std::uint8_t format = 0)
{
    if (version == 2) return id + bigEndian(static_cast<std::uint32_t>(data.size()), 3) + data;
    const auto size = static_cast<std::uint32_t>(data.size());
    return id + (version == 4 ? syncsafe(size) : bigEndian(size, 4)) + '\0' + static_cast<char>(format) + data;
}

// A text frame's data: the encoding byte, then the text as given.
inline std::string textData(std::uint8_t encoding, const std::string& encodedText)
{
    return static_cast<char>(encoding) + encodedText;
}

// The whole tag: "ID3", version, revision 0, flags, the syncsafe size of
// the body after the header, then the body (extended header, frames and
// padding as given).
inline std::string id3v2Tag(int version, const std::string& body, std::uint8_t flags = 0)
{
    return std::string("ID3") + static_cast<char>(version) + '\0' + static_cast<char>(flags) +
           syncsafe(static_cast<std::uint32_t>(body.size())) + body;
}

// A 128-byte ID3v1 tag: "TAG", then title, artist and album in 30 bytes each
// (zero-padded), year, comment and genre.
inline std::string id3v1Tag(const std::string& title, const std::string& artist, const std::string& album)
{
    auto field = [](std::string text) {
        text.resize(30, '\0');
        return text;
    };
    std::string tag = "TAG" + field(title) + field(artist) + field(album);
    tag.resize(128, '\0');
    return tag;
}

// Text in UTF-16, each code unit as given, little- or big-endian, with no
// byte order mark of its own.
inline std::string utf16(const std::vector<char16_t>& units, bool bigEndianOrder)
{
    std::string bytes;
    for (char16_t unit : units) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndianOrder ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

} // namespace tagbytes
