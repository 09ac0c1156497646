#pragma once

#include "ResourceTable.h"

#include <memory>

namespace icons {

// The icon resources of a 16-bit NE executable or icon library (.icl). Its
// resource table is flat: per type, a list of resources with their file
// offsets in units of the table's alignment.
class NeResources final : public ResourceTable {
public:
    // Null when the NE header is unreadable. `neOffset` is where "NE" stands.
    static std::unique_ptr<NeResources> open(const ByteSource& source, std::uint32_t neOffset);

    int iconCount() const override { return static_cast<int>(groups_.size()); }

    struct Resource {
        std::uint16_t id;
        ByteRange range;
    };

private:
    explicit NeResources(const ByteSource& source) : ResourceTable(source) {}

    std::optional<ByteRange> groupRange(int index) const override;
    std::optional<ByteRange> iconRange(std::uint16_t id) const override;

    void readTable(std::span<const std::uint8_t> table);

    std::vector<Resource> groups_;
    std::vector<Resource> icons_;
};

} // namespace icons
