#pragma once

#include "Icons.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

// Fixtures drawn by tests/data/icons/make_icons.py: a transparent top-left block,
// then red, green, blue (half alpha at 32 bits) and a marker colour in the
// bottom-right quarter that names the image chosen.
namespace fixtures {

inline std::filesystem::path iconFile(const std::string& name)
{
    return std::filesystem::path(ICON_DATA_DIR) / name;
}

constexpr std::uint32_t transparent = 0x00000000;
constexpr std::uint32_t red = 0xFFFF0000;
constexpr std::uint32_t green = 0xFF00FF00;
constexpr std::uint32_t blue = 0xFF0000FF;
constexpr std::uint32_t halfBlue = 0x800000FF;
constexpr std::uint32_t black = 0xFF000000;
constexpr std::uint32_t white = 0xFFFFFFFF;
// Bottom-right markers: 32 x 32 images by depth, other sizes by size.
constexpr std::uint32_t mark4 = 0xFFFFFF00;
constexpr std::uint32_t mark8 = 0xFF00FFFF;
constexpr std::uint32_t mark24 = 0xFFFF00FF;
constexpr std::uint32_t mark32 = 0xFFFF8000;
constexpr std::uint32_t mark16px = 0xFF808080;
constexpr std::uint32_t mark48px = 0xFF000080;

// The bitmap of icon `index` of a fixture, which must be there at the standard size.
inline icons::Image bitmapIcon(const std::string& name, int index)
{
    const auto icon = icons::extractIcon(iconFile(name), index);
    if (!icon || !std::holds_alternative<icons::Image>(*icon)) {
        ADD_FAILURE() << name << " icon " << index << " is not a bitmap";
        return {};
    }
    auto image = std::get<icons::Image>(*icon);
    EXPECT_EQ(image.width, icons::standardIconSize);
    EXPECT_EQ(image.height, icons::standardIconSize);
    return image;
}

// Checks one pixel from each region of the picture.
inline void expectPicture(const icons::Image& image, std::uint32_t topLeft, std::uint32_t topRight,
                          std::uint32_t bottomLeft, std::uint32_t bottomRight)
{
    ASSERT_EQ(image.pixels.size(), 32u * 32u);
    EXPECT_EQ(image.pixel(2, 2), transparent) << "masked corner";
    EXPECT_EQ(image.pixel(12, 3), topLeft);
    EXPECT_EQ(image.pixel(24, 4), topRight);
    EXPECT_EQ(image.pixel(4, 24), bottomLeft);
    EXPECT_EQ(image.pixel(28, 28), bottomRight);
}

} // namespace fixtures
