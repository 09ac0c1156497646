// Reads arbitrary bytes as a whole song file's tags: the ID3v2 tag at its
// start (cut at the reader's limit) and the ID3v1 tag in its last 128 bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "SongTags.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> file(data, size);
    const auto head = file.first(std::min(size, songtags::maxTagBytes));
    const songtags::SongTags tags = songtags::tagsOf(head, file.last(std::min<std::size_t>(size, 128)));
    // Each text is bounded whatever the input.
    if (tags.title.size() > songtags::maxTextBytes || tags.artist.size() > songtags::maxTextBytes ||
        tags.album.size() > songtags::maxTextBytes)
        __builtin_trap();
    return 0;
}
