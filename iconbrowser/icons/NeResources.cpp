#include "NeResources.h"

#include "Limits.h"
#include "LittleEndian.h"

#include <algorithm>

namespace icons {

namespace {

constexpr std::size_t neHeaderSize = 64;
constexpr std::size_t resourceTableAt = 0x24;
constexpr std::size_t residentNamesAt = 0x26;
constexpr std::size_t typeInfoSize = 8;
constexpr std::size_t nameInfoSize = 12;
constexpr std::uint16_t numericId = 0x8000; // set on type and resource ids that are numbers, not names
constexpr unsigned maxAlignShift = 16;
constexpr std::size_t tableLimit = 0x10000; // the table's offsets are 16-bit

} // namespace

std::unique_ptr<NeResources> NeResources::open(const ByteSource& source, std::uint32_t neOffset)
{
    const auto header = source.readBytes(neOffset, neHeaderSize);
    if (!header) return nullptr;
    std::unique_ptr<NeResources> resources(new NeResources(source));
    const std::uint16_t tableOffset = le16(*header, resourceTableAt);
    const std::uint16_t residentNames = le16(*header, residentNamesAt);
    // Equal offsets mean the file has no resource table.
    if (tableOffset == residentNames) return resources;
    const std::uint64_t begin = std::uint64_t{neOffset} + tableOffset;
    const std::uint64_t end =
        residentNames > tableOffset ? std::uint64_t{neOffset} + residentNames : begin + tableLimit;
    if (begin >= source.size()) return resources;
    const auto table = source.readBytes(begin, static_cast<std::size_t>(std::min(end, source.size()) - begin));
    if (table) resources->readTable(*table);
    return resources;
}

void NeResources::readTable(std::span<const std::uint8_t> table)
{
    if (table.size() < 2) return;
    const unsigned shift = le16(table, 0);
    if (shift >= maxAlignShift) return;
    std::size_t at = 2;
    // The list of types ends with a type id of 0, or, in a damaged file, with the table.
    while (at + typeInfoSize <= table.size()) {
        const std::uint16_t type = le16(table, at);
        const std::size_t count = le16(table, at + 2);
        if (type == 0) break;
        at += typeInfoSize;
        std::vector<Resource>* list = type == (numericId | resourceTypeGroupIcon) ? &groups_
                                      : type == (numericId | resourceTypeIcon)    ? &icons_
                                                                                  : nullptr;
        for (std::size_t i = 0; i < count && at + nameInfoSize <= table.size(); ++i, at += nameInfoSize) {
            if (!list) continue;
            const std::uint64_t offset = std::uint64_t{le16(table, at)} << shift;
            const std::uint64_t length = std::uint64_t{le16(table, at + 2)} << shift;
            const auto range = clipTo(source_, offset, length);
            // Unreadable icons still hold their place, so the numbering follows the table.
            list->push_back({le16(table, at + 6), range.value_or(ByteRange{})});
        }
    }
    if (groups_.size() > static_cast<std::size_t>(maxIconCount)) groups_.resize(maxIconCount);
}

std::optional<ByteRange> NeResources::groupRange(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= groups_.size()) return std::nullopt;
    return groups_[static_cast<std::size_t>(index)].range;
}

std::optional<ByteRange> NeResources::iconRange(std::uint16_t id) const
{
    const auto resource =
        std::find_if(icons_.begin(), icons_.end(), [id](const Resource& r) { return r.id == (numericId | id); });
    if (resource == icons_.end()) return std::nullopt;
    return resource->range;
}

} // namespace icons
