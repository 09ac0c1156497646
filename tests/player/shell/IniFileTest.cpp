// The settings file's rules: names without regard to case, missing reads as
// nothing, a write keeps every other line, and a write that cannot finish
// leaves the old file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "IniFile.h"
#include "SettingsSection.h"
#include "TempFolder.h"

namespace {

std::string contentOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

TEST(IniText, FindsSectionsAndKeysWithoutRegardToCase)
{
    const std::string text = "[Sonorbox]\nskin = /skins/Blue/Skin.ini \nSong=a.mp3\n[Position]\nx=-12\n";
    EXPECT_EQ(initext::lookup(text, "SONORBOX", "SKIN"), "/skins/Blue/Skin.ini");
    EXPECT_EQ(initext::lookup(text, "sonorbox", "song"), "a.mp3");
    EXPECT_EQ(initext::lookup(text, "position", "X"), "-12");
    EXPECT_EQ(initext::lookup(text, "Position", "y"), std::nullopt);
    EXPECT_EQ(initext::lookup(text, "Missing", "x"), std::nullopt);
    // A key of another section is not this section's.
    EXPECT_EQ(initext::lookup(text, "Position", "skin"), std::nullopt);
}

TEST(IniText, ReadsWindowsLineEndsCommentsAndTheFirstOfTwins)
{
    const std::string text = "; written by hand\r\n[A]\r\n;k=commented\r\nk=first\r\nk=second\r\n[a]\r\nk=third\r\n";
    EXPECT_EQ(initext::lookup(text, "A", "k"), "first");
    EXPECT_EQ(initext::lookup(text, "A", ";k"), std::nullopt);
    EXPECT_EQ(initext::lookup("[A]\nempty=\n", "A", "empty"), "");
    EXPECT_EQ(initext::lookup("[A]\nk=v", "A", "k"), "v"); // no line break at the end
}

TEST(IniText, AWriteChangesItsOwnLineAndKeepsEveryOtherByteForByte)
{
    const std::string text = "; mine\n[Sonorbox]\nskin=/old/Skin.ini\n  ; keep me\nPure=1\n\n[Position]\nx=3\n";
    EXPECT_EQ(initext::withValue(text, "SONORBOX", "skin", "/new/Skin.ini"),
              "; mine\n[Sonorbox]\nskin=/new/Skin.ini\n  ; keep me\nPure=1\n\n[Position]\nx=3\n");
    // A new key goes after the section's last key, before its trailing blank line.
    EXPECT_EQ(initext::withValue(text, "Sonorbox", "song", "b.mp3"),
              "; mine\n[Sonorbox]\nskin=/old/Skin.ini\n  ; keep me\nPure=1\nsong=b.mp3\n\n[Position]\nx=3\n");
    // A new section goes at the end; Windows line ends stay Windows line ends.
    EXPECT_EQ(initext::withValue("[A]\r\nk=v", "Position", "y", "-5"), "[A]\r\nk=v\r\n[Position]\r\ny=-5\r\n");
    EXPECT_EQ(initext::withValue("", "Sonorbox", "skin", ""), "[Sonorbox]\nskin=\n");
    EXPECT_EQ(initext::withValue("[Position]", "position", "x", "1"), "[Position]\nx=1\n");
}

TEST(IniFile, MissingFileReadsAsNothingAndAWriteCreatesIt)
{
    TempFolder folder;
    IniFile file(folder.file("Sonorbox.ini"));
    EXPECT_EQ(file.read("Sonorbox", "skin"), std::nullopt);
    ASSERT_TRUE(file.write("Sonorbox", "skin", "/skins/Default/Skin.ini"));
    ASSERT_TRUE(file.write("Position", "x", "-40"));
    EXPECT_EQ(file.read("sonorbox", "Skin"), "/skins/Default/Skin.ini");
    EXPECT_EQ(contentOf(file.path()), "[Sonorbox]\nskin=/skins/Default/Skin.ini\n[Position]\nx=-40\n");
    EXPECT_FALSE(std::filesystem::exists(file.path() + ".new"));
}

TEST(IniFile, ValuesAreReadWholeHoweverLong)
{
    TempFolder folder;
    IniFile file(folder.file("Sonorbox.ini"));
    const std::string longPath = "/" + std::string(600, 'm') + "/song.mp3";
    ASSERT_TRUE(file.write("Sonorbox", "song", longPath));
    EXPECT_EQ(file.read("Sonorbox", "song"), longPath);
}

TEST(IniFile, AValueWithALineBreakIsRefusedAndChangesNothing)
{
    TempFolder folder;
    const std::string path = folder.write("Sonorbox.ini", "[Sonorbox]\nsong=a.mp3\n");
    IniFile file(path);
    EXPECT_FALSE(file.write("Sonorbox", "song", "b.mp3\n[Sonorbox]\nskin="));
    EXPECT_EQ(contentOf(path), "[Sonorbox]\nsong=a.mp3\n");
}

TEST(IniFile, AWriteThatCannotFinishLeavesTheOldFile)
{
    TempFolder folder;
    const std::string path = folder.write("Sonorbox.ini", "[Sonorbox]\nsong=a.mp3\n");
    // The temporary file cannot be made: a folder stands in its place.
    std::filesystem::create_directory(path + ".new");
    IniFile file(path);
    EXPECT_FALSE(file.write("Sonorbox", "song", "b.mp3"));
    EXPECT_EQ(contentOf(path), "[Sonorbox]\nsong=a.mp3\n");
}

TEST(IniFile, AWriteKeepsTheFilesPermissions)
{
    TempFolder folder;
    const std::string path = folder.write("Sonorbox.ini", "[Sonorbox]\n");
    using std::filesystem::perms;
    std::filesystem::permissions(path, perms::owner_read | perms::owner_write);
    ASSERT_TRUE(IniFile(path).write("Sonorbox", "song", "a.mp3"));
    EXPECT_EQ(std::filesystem::status(path).permissions() & perms::all, perms::owner_read | perms::owner_write);
}

TEST(SettingsSection, GetIntReadsLikeTheCLibrary)
{
    TempFolder folder;
    const std::string path =
        folder.write("s.ini", "[S]\na=  42\nb=-7x\nc=+3\nd=abc\ne=\nf=99999999999\ng=-99999999999\nh=1 2\n");
    SettingsSection section(path, "S");
    EXPECT_EQ(section.getInt("a"), 42);
    EXPECT_EQ(section.getInt("b"), -7);
    EXPECT_EQ(section.getInt("c"), 3);
    EXPECT_EQ(section.getInt("d"), 0);
    EXPECT_EQ(section.getInt("e"), 0);
    EXPECT_EQ(section.getInt("missing"), 0);
    EXPECT_EQ(section.getInt("f"), 2147483647);
    EXPECT_EQ(section.getInt("g"), -2147483647 - 1);
    EXPECT_EQ(section.getInt("h"), 1);
    section.putInt("x", -2147483647 - 1);
    EXPECT_EQ(section.getString("x"), "-2147483648");
    EXPECT_EQ(section.getString("missing"), "");
}
