#pragma once

#include "Icons.h"
#include "IconDirectory.h"

#include <optional>
#include <vector>

namespace icons {

// A file that holds icons: an icon file (one icon) or an executable or
// library with icon-group resources. Icons are numbered from 0 in the order
// the file stores them.
class IconContainer {
public:
    virtual ~IconContainer() = default;
    virtual int iconCount() const = 0;
    // The images that make up icon `index` (empty when its directory is unreadable).
    virtual std::vector<IconDirEntry> images(int index) const = 0;
    // Where the bytes of one of those images lie, clipped to the file.
    virtual std::optional<ByteRange> imageRange(const IconDirEntry& entry) const = 0;
};

// A range clipped to the bytes a source really has; nothing when it starts past them.
inline std::optional<ByteRange> clipTo(const ByteSource& source, std::uint64_t offset, std::uint64_t length)
{
    if (offset >= source.size()) return std::nullopt;
    return ByteRange{offset, std::min(length, source.size() - offset)};
}

} // namespace icons
