#pragma once

#include "IconContainer.h"

#include <memory>

namespace icons {

// An icon file (.ico): one icon made of the images its directory lists.
class IcoFile final : public IconContainer {
public:
    // Null when the source does not start with an icon directory naming at least one image.
    static std::unique_ptr<IcoFile> open(const ByteSource& source);

    int iconCount() const override { return 1; }
    std::vector<IconDirEntry> images(int index) const override;
    std::optional<ByteRange> imageRange(const IconDirEntry& entry) const override;

private:
    IcoFile(const ByteSource& source, std::vector<IconDirEntry> entries) : source_(source), entries_(std::move(entries))
    {
    }

    const ByteSource& source_;
    std::vector<IconDirEntry> entries_;
};

} // namespace icons
