#pragma once

#include "ResourceTable.h"

#include <memory>

namespace icons {

// The icon resources of a PE32 or PE32+ executable or library (PE/COFF). The
// resource tree is type, then name, then language; only the first two levels
// of the icon and icon-group types are read when the file is opened.
class PeResources final : public ResourceTable {
public:
    // Null when the PE headers are unreadable. `peOffset` is where "PE\0\0" stands.
    static std::unique_ptr<PeResources> open(const ByteSource& source, std::uint32_t peOffset);

    int iconCount() const override { return static_cast<int>(groups_.size()); }

    struct Section {
        std::uint32_t virtualAddress;
        std::uint32_t rawSize;
        std::uint32_t rawOffset;
    };
    // A subdirectory of the resource tree: its id and where it starts,
    // relative to the resource root.
    struct Node {
        std::uint32_t id;
        std::uint32_t offset;
    };
    // The bytes a directory occupies, relative to the resource root.
    struct Span {
        std::uint32_t begin;
        std::uint32_t end;
    };

private:
    PeResources(const ByteSource& source, std::vector<Section> sections)
        : ResourceTable(source), sections_(std::move(sections))
    {
    }

    std::optional<ByteRange> groupRange(int index) const override;
    std::optional<ByteRange> iconRange(std::uint16_t id) const override;

    bool locateRoot(std::uint32_t rootRva);
    // The subdirectories listed by the directory at `offset`; entries that lie
    // outside the resource data or point back into an ancestor are dropped.
    std::vector<Node> subdirectories(std::uint32_t offset, std::span<const Span> ancestors, Span& self) const;
    // The data of the first language of the name directory at `offset`.
    std::optional<ByteRange> firstLanguageData(std::uint32_t offset, std::span<const Span> ancestors) const;
    std::optional<std::uint64_t> fileOffsetOfRva(std::uint32_t rva, std::uint32_t& bytesInSection) const;

    std::vector<Section> sections_;
    std::uint64_t rootFileOffset_ = 0;
    std::uint32_t resourceBytes_ = 0; // from the root to the end of its section's data in the file
    std::vector<Span> groupAncestors_;
    std::vector<Span> iconAncestors_;
    std::vector<Node> groups_;
    std::vector<Node> icons_;
};

} // namespace icons
