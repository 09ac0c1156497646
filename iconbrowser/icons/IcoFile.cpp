#include "IcoFile.h"

#include "Limits.h"

#include <algorithm>

namespace icons {

std::unique_ptr<IcoFile> IcoFile::open(const ByteSource& source)
{
    const auto header = source.readBytes(0, iconDirHeaderSize);
    if (!header) return nullptr;
    const int declared = std::min(declaredEntryCount(*header), maxGroupImages);
    const std::uint64_t wanted = iconDirHeaderSize + static_cast<std::uint64_t>(declared) * 16;
    const auto bytes = source.readBytes(0, static_cast<std::size_t>(std::min(wanted, source.size())));
    if (!bytes) return nullptr;
    auto entries = parseIconDirectory(*bytes, EntryLayout::IconFile);
    // Only images that start inside the file can be read at all.
    std::erase_if(entries, [&](const IconDirEntry& e) { return e.offset >= source.size(); });
    if (entries.empty()) return nullptr;
    return std::unique_ptr<IcoFile>(new IcoFile(source, std::move(entries)));
}

std::vector<IconDirEntry> IcoFile::images(int index) const
{
    return index == 0 ? entries_ : std::vector<IconDirEntry>{};
}

std::optional<ByteRange> IcoFile::imageRange(const IconDirEntry& entry) const
{
    return clipTo(source_, entry.offset, entry.bytesInRes);
}

} // namespace icons
