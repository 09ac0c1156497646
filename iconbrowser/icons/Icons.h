#pragma once

#include "ByteSource.h"
#include "DibDecoder.h"
#include "Image.h"

#include <filesystem>
#include <memory>
#include <optional>

namespace icons {

// The standard large icon size, in pixels.
inline constexpr int standardIconSize = 32;

// One icon ready to draw. A bitmap image arrives as pixels already at the
// standard size; a PNG-compressed one arrives as its stream, for the caller's
// PNG decoder, after which fitToStandardSize brings it to the standard size.
using Icon = IconImage;

// How many icons a file holds: the icon-group resources of a PE32, PE32+ or NE
// executable or library, 1 for an icon file, 0 for anything else or anything
// unreadable. The type is found from the bytes, not from the file name.
int countIcons(const ByteSource& source);
int countIcons(const std::filesystem::path& path);

// Icon `index` (0 to countIcons - 1) at the standard size: the icon's image of
// exactly that size with the most colours or, failing that, the nearest size
// scaled smoothly. An image that cannot be read gives way to the next best.
// Nothing for an index outside the count or an icon with no readable image.
std::optional<Icon> extractIcon(const ByteSource& source, int index);
std::optional<Icon> extractIcon(const std::filesystem::path& path, int index);

class IconContainer;

// Reads the icons of one file or memory block, finding its directories once:
// the way to read a page of icons. The functions above each open afresh.
class IconReader {
public:
    explicit IconReader(const std::filesystem::path& path);
    // The bytes must outlive the reader.
    explicit IconReader(std::span<const std::uint8_t> bytes);
    ~IconReader();
    IconReader(const IconReader&) = delete;
    IconReader& operator=(const IconReader&) = delete;

    int count() const;
    std::optional<Icon> icon(int index) const;

private:
    std::unique_ptr<ByteSource> source_;
    std::unique_ptr<IconContainer> container_;
};

// Scales smoothly to standardIconSize square, unless already that size.
Image fitToStandardSize(Image image);

} // namespace icons
