// ID3v2 (versions 2.2, 2.3 and 2.4, as id3.org publishes them): the header,
// an extended header passed over, then frames until the padding. Only the
// three text frames of title, artist and album are read.

#include <algorithm>
#include <string_view>
#include <vector>

#include "TagReaders.h"
#include "TextEncoding.h"

namespace songtags {

namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint8_t unsynchronisedTag = 0x80;
constexpr std::uint8_t extendedHeader = 0x40; // 2.2: compressed, a scheme never defined
constexpr std::uint8_t footerPresent = 0x10;  // 2.4

std::uint32_t bigEndian(Bytes bytes)
{
    std::uint32_t value = 0;
    for (std::uint8_t b : bytes) value = value << 8 | b;
    return value;
}

std::uint32_t syncsafe(Bytes bytes)
{
    std::uint32_t value = 0;
    for (std::uint8_t b : bytes) value = value << 7 | (b & 0x7F);
    return value;
}

// Undoes unsynchronisation: every 0xFF 0x00 pair stands for 0xFF.
std::vector<std::uint8_t> resynchronised(Bytes bytes)
{
    std::vector<std::uint8_t> out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out.push_back(bytes[i]);
        if (bytes[i] == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0x00) ++i;
    }
    return out;
}

std::string textOf(Bytes data)
{
    if (data.empty()) return {};
    const Bytes text = data.subspan(1);
    switch (data[0]) {
    case 0:
        return fromLatin1(text);
    case 1:
        // Without the byte order mark the tag breaks its own rule; UTF-16
        // without a mark is big-endian (RFC 2781).
        return fromUtf16(text, true);
    case 2:
        return fromUtf16(text, true);
    case 3:
        return fromUtf8(text);
    default:
        return {};
    }
}

// The field a frame fills, or none.
std::string* fieldFor(std::string_view id, int version, SongTags& tags)
{
    const bool old = version == 2;
    if (id == (old ? "TT2" : "TIT2")) return &tags.title;
    if (id == (old ? "TP1" : "TPE1")) return &tags.artist;
    if (id == (old ? "TAL" : "TALB")) return &tags.album;
    return nullptr;
}

// The frame's text, after the additions its format flags announce; empty
// for a compressed or encrypted frame.
std::string frameText(Bytes data, int version, std::uint8_t format, bool tagUnsynchronised)
{
    std::size_t skip = 0;
    bool unsynchronised = false;
    if (version == 3) {
        if (format & 0xC0) // compressed, encrypted
            return {};
        skip = (format & 0x20) ? 1 : 0; // group identifier
    } else if (version == 4) {
        if (format & 0x0C) // compressed, encrypted
            return {};
        skip = ((format & 0x40) ? 1 : 0) + ((format & 0x01) ? 4 : 0); // group, data length
        unsynchronised = (format & 0x02) || tagUnsynchronised;
    }
    if (skip > data.size()) return {};
    data = data.subspan(skip);
    if (!unsynchronised) return textOf(data);
    const std::vector<std::uint8_t> plain = resynchronised(data);
    return textOf(plain);
}

} // namespace

std::size_t id3v2TagSize(Bytes bytes)
{
    if (bytes.size() < id3v2HeaderSize || bytes[0] != 'I' || bytes[1] != 'D' || bytes[2] != '3' || bytes[3] == 0xFF ||
        bytes[4] == 0xFF)
        return 0;
    const Bytes size = bytes.subspan(6, 4);
    if (std::any_of(size.begin(), size.end(), [](std::uint8_t b) { return b & 0x80; })) return 0;
    const bool footer = bytes[3] == 4 && (bytes[5] & footerPresent);
    return id3v2HeaderSize + syncsafe(size) + (footer ? id3v2HeaderSize : 0);
}

SongTags readId3v2(Bytes bytes)
{
    const std::size_t total = id3v2TagSize(bytes);
    if (total == 0) return {};
    const int version = bytes[3];
    const std::uint8_t flags = bytes[5];
    if (version < 2 || version > 4 || (version == 2 && (flags & extendedHeader))) return {};
    Bytes body = bytes.subspan(id3v2HeaderSize, std::min(total, bytes.size()) - id3v2HeaderSize);
    // Before 2.4 unsynchronisation covers the whole tag after its header.
    std::vector<std::uint8_t> resynchronisedBody;
    if ((flags & unsynchronisedTag) && version < 4) {
        resynchronisedBody = resynchronised(body);
        body = resynchronisedBody;
    }

    std::size_t at = 0;
    if (version >= 3 && (flags & extendedHeader)) {
        if (body.size() < 4) return {};
        // 2.3 counts the bytes after the size field, 2.4 the whole header.
        const std::size_t extended = version == 3 ? 4 + std::size_t(bigEndian(body.first(4))) : syncsafe(body.first(4));
        if (extended > body.size()) return {};
        at = extended;
    }

    const std::size_t idLength = version == 2 ? 3 : 4;
    const std::size_t headerLength = version == 2 ? 6 : 10;
    SongTags tags;
    while (body.size() - at >= headerLength && body[at] != 0) {
        const Bytes header = body.subspan(at, headerLength);
        const Bytes sizeField = header.subspan(idLength, version == 2 ? 3 : 4);
        const std::size_t size = version == 4 ? syncsafe(sizeField) : bigEndian(sizeField);
        at += headerLength;
        if (size > body.size() - at) break;
        const Bytes data = body.subspan(at, size);
        at += size;
        const std::string_view id(reinterpret_cast<const char*>(header.data()), idLength);
        std::string* field = fieldFor(id, version, tags);
        if (field && field->empty())
            *field = frameText(data, version, version == 2 ? 0 : header[9], flags & unsynchronisedTag);
    }
    return tags;
}

} // namespace songtags
