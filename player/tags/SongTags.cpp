#include "SongTags.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "TagReaders.h"

namespace songtags {

namespace {

// Up to count bytes from offset; fewer where the file ends.
std::vector<std::uint8_t> readAt(std::ifstream& file, std::uint64_t offset, std::size_t count)
{
    std::vector<std::uint8_t> bytes(count);
    file.clear();
    file.seekg(static_cast<std::streamoff>(offset));
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
    bytes.resize(file ? count : static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
    return bytes;
}

} // namespace

SongTags tagsOf(std::span<const std::uint8_t> head, std::span<const std::uint8_t> tail)
{
    SongTags tags = readId3v2(head);
    SongTags old = readId3v1(tail);
    for (auto field : {&SongTags::title, &SongTags::artist, &SongTags::album})
        if ((tags.*field).empty()) tags.*field = std::move(old.*field);
    return tags;
}

SongTags readSongTags(const std::string& path)
{
    // Only a regular file: opening a pipe or a device could wait without end.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return {};
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    file.seekg(0, std::ios::end);
    const std::streamoff end = file.tellg();
    if (end <= 0) return {};
    const auto length = static_cast<std::uint64_t>(end);
    std::vector<std::uint8_t> head = readAt(file, 0, id3v2HeaderSize);
    const std::size_t tagSize = id3v2TagSize(head);
    if (tagSize > 0) head = readAt(file, 0, std::min(tagSize, maxTagBytes));
    const std::size_t tailSize = static_cast<std::size_t>(std::min<std::uint64_t>(length, id3v1Size));
    const std::vector<std::uint8_t> tail = readAt(file, length - tailSize, tailSize);
    return tagsOf(head, tail);
}

} // namespace songtags
