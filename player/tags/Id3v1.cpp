// ID3v1: "TAG", then title, artist and album in 30 bytes each, padded with
// zeros or blanks, in the Windows character set of the time (Windows-1252).

#include <string>

#include "TagReaders.h"
#include "TextEncoding.h"

namespace songtags {

namespace {

std::string trimmed(std::string text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    std::size_t end = text.size();
    while (end > 0 && blank(text[end - 1])) --end;
    std::size_t begin = 0;
    while (begin < end && blank(text[begin])) ++begin;
    return text.substr(begin, end - begin);
}

} // namespace

SongTags readId3v1(std::span<const std::uint8_t> tail)
{
    if (tail.size() < id3v1Size) return {};
    const auto tag = tail.last(id3v1Size);
    if (tag[0] != 'T' || tag[1] != 'A' || tag[2] != 'G') return {};
    auto field = [&](std::size_t offset) { return trimmed(fromWindows1252(tag.subspan(offset, 30))); };
    return SongTags{field(3), field(33), field(63)};
}

} // namespace songtags
