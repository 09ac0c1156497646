#include "PeResources.h"

#include "Limits.h"
#include "LittleEndian.h"

#include <algorithm>

namespace icons {

namespace {

constexpr std::size_t coffHeaderSize = 20;
constexpr std::size_t sectionHeaderSize = 40;
constexpr std::size_t maxSections = 96; // the most a PE/COFF loader accepts
constexpr std::uint16_t pe32Magic = 0x10B;
constexpr std::uint16_t pe32PlusMagic = 0x20B;
constexpr std::size_t resourceTableIndex = 2; // data directory of the .rsrc tree
constexpr std::size_t directoryHeaderSize = 16;
constexpr std::size_t directoryEntrySize = 8;
constexpr std::size_t dataEntrySize = 16;
constexpr std::uint32_t highBit = 0x80000000u; // subdirectory flag, and name-string flag

bool inside(std::uint32_t offset, std::span<const PeResources::Span> spans)
{
    return std::any_of(spans.begin(), spans.end(),
                       [offset](const auto& s) { return offset >= s.begin && offset < s.end; });
}

} // namespace

std::unique_ptr<PeResources> PeResources::open(const ByteSource& source, std::uint32_t peOffset)
{
    const auto coff = source.readBytes(peOffset + std::uint64_t{4}, coffHeaderSize);
    if (!coff) return nullptr;
    const std::size_t sectionCount = std::min<std::size_t>(le16(*coff, 2), maxSections);
    const std::size_t optionalSize = le16(*coff, 16);
    const std::uint64_t optionalOffset = peOffset + std::uint64_t{4} + coffHeaderSize;
    const auto optional = source.readBytes(optionalOffset, optionalSize);
    if (!optional || optionalSize < 2) return nullptr;

    const std::uint16_t magic = le16(*optional, 0);
    if (magic != pe32Magic && magic != pe32PlusMagic) return nullptr;
    const std::size_t countAt = magic == pe32Magic ? 92 : 108;
    const std::size_t directoriesAt = countAt + 4;
    const std::size_t resourceAt = directoriesAt + resourceTableIndex * 8;
    if (optionalSize < resourceAt + 8 || le32(*optional, countAt) <= resourceTableIndex) return nullptr;
    const std::uint32_t rootRva = le32(*optional, resourceAt);

    const auto table = source.readBytes(optionalOffset + optionalSize, sectionCount * sectionHeaderSize);
    if (!table) return nullptr;
    std::vector<Section> sections;
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::size_t at = i * sectionHeaderSize;
        sections.push_back({le32(*table, at + 12), le32(*table, at + 16), le32(*table, at + 20)});
    }

    std::unique_ptr<PeResources> resources(new PeResources(source, std::move(sections)));
    if (rootRva != 0 && !resources->locateRoot(rootRva)) return nullptr;
    return resources;
}

std::optional<std::uint64_t> PeResources::fileOffsetOfRva(std::uint32_t rva, std::uint32_t& bytesInSection) const
{
    for (const Section& s : sections_) {
        if (rva < s.virtualAddress || rva - s.virtualAddress >= s.rawSize) continue;
        const std::uint64_t offset = std::uint64_t{s.rawOffset} + (rva - s.virtualAddress);
        if (offset >= source_.size()) return std::nullopt;
        bytesInSection = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(s.rawSize - (rva - s.virtualAddress), source_.size() - offset));
        return offset;
    }
    return std::nullopt;
}

bool PeResources::locateRoot(std::uint32_t rootRva)
{
    const auto root = fileOffsetOfRva(rootRva, resourceBytes_);
    if (!root) return false;
    rootFileOffset_ = *root;

    Span rootSpan{};
    const auto types = subdirectories(0, {}, rootSpan);
    const auto typeNode = [&](std::uint16_t type) {
        return std::find_if(types.begin(), types.end(), [type](const Node& n) { return n.id == type; });
    };
    const auto load = [&](std::uint16_t type, std::vector<Span>& ancestors, std::vector<Node>& nodes) {
        const auto node = typeNode(type);
        if (node == types.end()) return;
        Span typeSpan{};
        const Span path[] = {rootSpan};
        nodes = subdirectories(node->offset, path, typeSpan);
        ancestors = {rootSpan, typeSpan};
    };
    load(resourceTypeGroupIcon, groupAncestors_, groups_);
    load(resourceTypeIcon, iconAncestors_, icons_);
    // Sorted once (the first of equal ids kept first), so each image is found by binary search.
    std::stable_sort(icons_.begin(), icons_.end(), [](const Node& a, const Node& b) { return a.id < b.id; });
    if (groups_.size() > static_cast<std::size_t>(maxIconCount)) groups_.resize(maxIconCount);
    return true;
}

std::vector<PeResources::Node> PeResources::subdirectories(std::uint32_t offset, std::span<const Span> ancestors,
                                                           Span& self) const
{
    if (offset >= resourceBytes_ || resourceBytes_ - offset < directoryHeaderSize) return {};
    const auto header = source_.readBytes(rootFileOffset_ + offset, directoryHeaderSize);
    if (!header) return {};
    // Both counts are 16-bit, so a directory is at most about 1 MB; entries past the data are dropped.
    const std::size_t declared = std::size_t{le16(*header, 12)} + le16(*header, 14);
    const std::size_t fitting = (resourceBytes_ - offset - directoryHeaderSize) / directoryEntrySize;
    const std::size_t count = std::min(declared, fitting);
    self = {offset, static_cast<std::uint32_t>(offset + directoryHeaderSize + count * directoryEntrySize)};
    const auto entries = source_.readBytes(rootFileOffset_ + offset + directoryHeaderSize, count * directoryEntrySize);
    if (!entries) return {};

    std::vector<Node> nodes;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t name = le32(*entries, i * directoryEntrySize);
        const std::uint32_t target = le32(*entries, i * directoryEntrySize + 4);
        if ((target & highBit) == 0) continue; // data where a directory belongs
        const std::uint32_t child = target & ~highBit;
        if (child == offset || inside(child, ancestors) || (child >= self.begin && child < self.end)) continue;
        nodes.push_back({name, child});
    }
    return nodes;
}

std::optional<ByteRange> PeResources::firstLanguageData(std::uint32_t offset, std::span<const Span> ancestors) const
{
    if (offset >= resourceBytes_ || resourceBytes_ - offset < directoryHeaderSize + directoryEntrySize)
        return std::nullopt;
    const auto directory = source_.readBytes(rootFileOffset_ + offset, directoryHeaderSize + directoryEntrySize);
    if (!directory || le16(*directory, 12) + le16(*directory, 14) == 0) return std::nullopt;
    // The third level holds data entries; a further directory here is not followed.
    const std::uint32_t dataOffset = le32(*directory, directoryHeaderSize + 4);
    if (dataOffset & highBit) return std::nullopt;
    const Span self{offset, offset + static_cast<std::uint32_t>(directory->size())};
    if (inside(dataOffset, ancestors) || inside(dataOffset, {&self, 1})) return std::nullopt;
    if (dataOffset >= resourceBytes_ || resourceBytes_ - dataOffset < dataEntrySize) return std::nullopt;

    const auto data = source_.readBytes(rootFileOffset_ + dataOffset, dataEntrySize);
    if (!data) return std::nullopt;
    std::uint32_t available = 0;
    const auto fileOffset = fileOffsetOfRva(le32(*data, 0), available);
    if (!fileOffset) return std::nullopt;
    return ByteRange{*fileOffset, std::min<std::uint64_t>(le32(*data, 4), available)};
}

std::optional<ByteRange> PeResources::groupRange(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= groups_.size()) return std::nullopt;
    return firstLanguageData(groups_[static_cast<std::size_t>(index)].offset, groupAncestors_);
}

std::optional<ByteRange> PeResources::iconRange(std::uint16_t id) const
{
    const auto node = std::lower_bound(icons_.begin(), icons_.end(), std::uint32_t{id},
                                       [](const Node& n, std::uint32_t wanted) { return n.id < wanted; });
    if (node == icons_.end() || node->id != id) return std::nullopt;
    return firstLanguageData(node->offset, iconAncestors_);
}

} // namespace icons
