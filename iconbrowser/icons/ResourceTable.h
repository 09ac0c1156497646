#pragma once

#include "IconContainer.h"

namespace icons {

// Resource type numbers shared by the PE and NE formats.
inline constexpr std::uint16_t resourceTypeIcon = 3;
inline constexpr std::uint16_t resourceTypeGroupIcon = 14;

// An executable or library whose icons are icon-group resources (RT_GROUP_ICON),
// each listing icon resources (RT_ICON) by number. The PE and NE formats differ
// only in how a resource is found.
class ResourceTable : public IconContainer {
public:
    std::vector<IconDirEntry> images(int index) const override;
    std::optional<ByteRange> imageRange(const IconDirEntry& entry) const override;

protected:
    explicit ResourceTable(const ByteSource& source) : source_(source) {}

    virtual std::optional<ByteRange> groupRange(int index) const = 0;
    virtual std::optional<ByteRange> iconRange(std::uint16_t id) const = 0;

    const ByteSource& source_;
};

} // namespace icons
