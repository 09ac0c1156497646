#pragma once

#include <cstdint>
#include <string>

namespace tagbytes {

// An APEv2 tag in its published layout: an optional 32-byte header, the
// items, then the 32-byte footer ("APETAGEX", version 2000, the size of items
// and footer, the item count, flags, 8 reserved bytes; little-endian).
inline std::string apeTag(const std::string& items, bool withHeader, std::uint32_t itemCount = 1)
{
    constexpr std::uint32_t hasHeader = 0x80000000u;
    constexpr std::uint32_t isHeader = 0x20000000u;
    auto frame = [&](std::uint32_t flags) {
        std::string bytes = "APETAGEX";
        for (std::uint32_t value : {2000u, static_cast<std::uint32_t>(items.size() + 32), itemCount, flags})
            for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i));
        return bytes.append(8, '\0');
    };
    const std::uint32_t headerFlag = withHeader ? hasHeader : 0;
    std::string tag = withHeader ? frame(headerFlag | isHeader) : std::string();
    return tag.append(items).append(frame(headerFlag));
}

// A cover-art item holding a header word and side information that switches
// windows with block type 0: decoded as a frame, it is corrupt.
inline std::string corruptFrameItem()
{
    std::string item("Cover Art (Front)\0", 18);
    item.append("\xFF\xFB\x90\x64").append(6, '\0').append("\x04");
    item.resize(1000, '\0');
    return item;
}

} // namespace tagbytes
