// The one table of a skin's keys, and the layout read through it from a
// Skin.ini split once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "Settings.h"
#include "SkinFiles.h"

namespace {

// A rectangle of its own for the key at index, on a face of 1000 x 1000.
SkinRect rectFor(std::size_t index)
{
    const auto n = static_cast<std::int32_t>(index);
    return {10 + n, 20 + 2 * n, 30 + 3 * n, 40 + 4 * n};
}

std::string valueFor(const SkinKey& key, std::size_t index)
{
    if (std::holds_alternative<std::string SkinLayout::*>(key.member)) return "Some Face";
    if (std::holds_alternative<std::uint32_t SkinLayout::*>(key.member)) return "1, 2, 3";
    const SkinRect rect = rectFor(index);
    return std::to_string(rect.x) + ", " + std::to_string(rect.y) + ", " + std::to_string(rect.width) + ", " +
           std::to_string(rect.height);
}

std::vector<std::string> keyLines()
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < skinKeys.size(); ++i)
        lines.push_back(std::string(skinKeys[i].name) + "=" + valueFor(skinKeys[i], i));
    return lines;
}

std::string skinIni(const std::vector<std::string>& lines, const std::string& section = "[Coordinates]")
{
    std::string text = section + "\n";
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

SkinLayoutReading read(const std::string& text)
{
    return readSkinLayout(IniSections(text), "/skins/Test/Skin.ini", 1000, 1000);
}

bool sameLayout(const SkinLayout& a, const SkinLayout& b)
{
    for (const SkinKey& key : skinKeys) {
        const bool same = std::visit([&](auto member) { return a.*member == b.*member; }, key.member);
        if (!same) return false;
    }
    return true;
}

} // namespace

TEST(SkinKeys, EveryKeyOfTheTableLoadsIntoItsOwnMember)
{
    const SkinLayoutReading reading = read(skinIni(keyLines()));
    ASSERT_EQ(reading.fault, "");
    for (std::size_t i = 0; i < skinKeys.size(); ++i) {
        const SkinKey& key = skinKeys[i];
        if (const auto* rect = std::get_if<SkinRect SkinLayout::*>(&key.member)) {
            EXPECT_EQ(reading.layout.**rect, rectFor(i)) << key.name;
        }
    }
    EXPECT_EQ(reading.layout.displayFont, "Some Face");
    EXPECT_EQ(reading.layout.displayColour, 0x030201u);
    // No two keys share a name or a member, and each rectangle finds its key.
    std::set<std::string> names;
    for (const SkinKey& key : skinKeys) {
        std::string lower = key.name;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        EXPECT_TRUE(names.insert(lower).second) << key.name;
        if (const auto* rect = std::get_if<SkinRect SkinLayout::*>(&key.member)) {
            EXPECT_STREQ(skinKeyOf(*rect).name, key.name);
        }
    }
}

TEST(SkinKeys, TheNineButtonsCarryTheirNameAsToolTipAndTheRestNone)
{
    int buttons = 0;
    for (const SkinKey& key : skinKeys) {
        if (!key.toolTip) continue;
        ++buttons;
        EXPECT_STREQ(key.toolTip, key.name);
    }
    EXPECT_EQ(buttons, 9);
    EXPECT_STREQ(skinKeyOf(&SkinLayout::play).toolTip, "Play");
    EXPECT_EQ(skinKeyOf(&SkinLayout::seekBar).toolTip, nullptr);
}

TEST(SkinKeys, KeysInAnyOrderAndLetterCaseLoadTheSame)
{
    const SkinLayoutReading plain = read(skinIni(keyLines()));
    std::vector<std::string> lines = keyLines();
    std::reverse(lines.begin(), lines.end());
    for (std::size_t i = 0; i < lines.size(); i += 2)
        std::transform(lines[i].begin(), lines[i].begin() + lines[i].find('='), lines[i].begin(),
                       [](unsigned char c) { return std::toupper(c); });
    // Blanks and comments between them, another section before, and a later
    // key of a name already read change nothing either.
    lines.insert(lines.begin() + 3, "; a comment=About");
    lines.insert(lines.begin() + 5, "");
    lines.push_back("Play=1, 1, 1, 1");
    const SkinLayoutReading shuffled = read("[Other]\nPlay=5, 5, 5, 5\n" + skinIni(lines, "[ coordinates ]"));
    ASSERT_EQ(plain.fault, "");
    ASSERT_EQ(shuffled.fault, "");
    EXPECT_TRUE(sameLayout(plain.layout, shuffled.layout));
}

TEST(SkinKeys, TheFirstFaultInTheTablesOrderIsTold)
{
    std::vector<std::string> lines = keyLines();
    // Stop (index 4) lacks a number, SeekBar (12) lies off the face.
    lines[4] = "Stop=1, 2, 3";
    lines[12] = "SeekBar=990, 0, 20, 5";
    EXPECT_EQ(read(skinIni(lines)).fault, "The skin settings file \"/skins/Test/Skin.ini\" has no valid \"Stop\" value "
                                          "in its [Coordinates] section.");
    lines[4] = keyLines()[4];
    EXPECT_EQ(read(skinIni(lines)).fault, "The skin settings file \"/skins/Test/Skin.ini\" has no valid \"SeekBar\" "
                                          "value in its [Coordinates] section. \"990, 0, 20, 5\" does not fit its "
                                          "face of 1000 x 1000 pixels.");
    lines[12] = keyLines()[12];
    lines[11] = "DisplayColour=1, 2";
    EXPECT_NE(read(skinIni(lines)).fault.find("\"DisplayColour\""), std::string::npos);
    // A file with no [Coordinates] faults at its first key.
    EXPECT_NE(read("[Sonorbox]\nAbout=1, 1, 1, 1\n").fault.find("\"About\""), std::string::npos);
}

TEST(IniSections, AnswersAsTheLookupOnTheSameText)
{
    const std::string text = "stray=before any section\r\n"
                             "[A]\r\n"
                             "key = first \r\n"
                             "key=second\r\n"
                             "#key=commented\r\n"
                             "[b]\n"
                             "Key=of b\n"
                             "[a]\n"
                             "other=in the second a\n"
                             "[ c ]\n"
                             "no equals sign\n"
                             "empty=\n"
                             "[d\n"
                             "x=in the unclosed one\n";
    const IniSections sections(text);
    for (const char* section : {"", "A", "a", "b", "B", "c", "[d", "d", "missing"})
        for (const char* key : {"", "stray", "key", "KEY", "other", "empty", "x", "no equals sign", "#key"})
            EXPECT_EQ(sections.value(section, key), initext::lookup(text, section, key)) << section << " " << key;
    EXPECT_EQ(sections.value("a", "key"), "first");
    EXPECT_EQ(sections.value("a", "other"), std::nullopt);
}
