#include <algorithm>

#include "Settings.h"
#include "SkinFiles.h"

namespace {

constexpr SkinKey button(const char* name, SkinRect SkinLayout::*member)
{
    return {name, member, name};
}

constexpr SkinKey place(const char* name, SkinRect SkinLayout::*member)
{
    return {name, member};
}

const char* const coordinates = "Coordinates";

std::string keyFault(const std::string& filePath, const char* key)
{
    return "The skin settings file \"" + filePath + "\" has no valid \"" + key +
           "\" value in its [Coordinates] section.";
}

// What is read of one key into the layout: the fault, or nothing.
struct KeyReader {
    const IniSections& file;
    const std::string& filePath;
    const SkinKey& key;
    std::int32_t faceWidth;
    std::int32_t faceHeight;
    SkinLayout& layout;

    std::string text() const { return file.value(coordinates, key.name).value_or(std::string()); }

    // A rectangle off the face would place a control where nothing of it
    // shows, and numbers near the 32-bit limits would overflow the sums the
    // window's geometry is made of.
    std::string operator()(SkinRect SkinLayout::*member) const
    {
        const std::string value = text();
        SkinRect& rect = layout.*member;
        if (parseSkinRect(value, rect) != 4) return keyFault(filePath, key.name);
        if (!fitsFace(rect, faceWidth, faceHeight))
            return keyFault(filePath, key.name) + " \"" + value + "\" does not fit its face of " +
                   std::to_string(faceWidth) + " x " + std::to_string(faceHeight) + " pixels.";
        return {};
    }

    std::string operator()(std::string SkinLayout::*member) const
    {
        layout.*member = text();
        return {};
    }

    std::string operator()(std::uint32_t SkinLayout::*member) const
    {
        SkinColourValue colour;
        if (parseSkinColour(text(), colour) != 3) return keyFault(filePath, key.name);
        layout.*member = packedColour(colour);
        return {};
    }
};

} // namespace

const std::array<SkinKey, 16> skinKeys{{
    button("About", &SkinLayout::about),
    button("Minimize", &SkinLayout::minimize),
    button("Quit", &SkinLayout::quit),
    button("Prev", &SkinLayout::prev),
    button("Stop", &SkinLayout::stop),
    button("Pause", &SkinLayout::pause),
    button("Play", &SkinLayout::play),
    button("Next", &SkinLayout::next),
    button("Open", &SkinLayout::open),
    {"DisplayFont", &SkinLayout::displayFont},
    place("DisplayBar", &SkinLayout::displayBar),
    {"DisplayColour", &SkinLayout::displayColour},
    place("SeekBar", &SkinLayout::seekBar),
    place("DisplayTime", &SkinLayout::displayTime),
    place("DisplayKhz", &SkinLayout::displayKhz),
    place("DisplayBitrate", &SkinLayout::displayBitrate),
}};

const SkinKey& skinKeyOf(SkinRect SkinLayout::*member)
{
    // Every rectangle of the layout has its key: a member without one is a
    // fault of the table, which a test holds.
    return *std::find_if(skinKeys.begin(), skinKeys.end(), [member](const SkinKey& key) {
        const auto* rect = std::get_if<SkinRect SkinLayout::*>(&key.member);
        return rect && *rect == member;
    });
}

SkinLayoutReading readSkinLayout(const IniSections& skinFile, const std::string& filePath, std::int32_t faceWidth,
                                 std::int32_t faceHeight)
{
    SkinLayoutReading reading;
    for (const SkinKey& key : skinKeys) {
        reading.fault =
            std::visit(KeyReader{skinFile, filePath, key, faceWidth, faceHeight, reading.layout}, key.member);
        if (!reading.fault.empty()) break;
    }
    return reading;
}
