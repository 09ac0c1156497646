// The player's own settings that read a word or a switch: repeat and
// shuffle survive a save and a new reading, and a missing or unreadable
// value reads as the player's first behaviour (repeat the list, no shuffle).
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "Settings.h"
#include "TempFolder.h"

TEST(PlayerSettings, RepeatAndShuffleAreWrittenAsWordsAndReadBackByANewReader)
{
    TempFolder folder;
    const std::string path = folder.file("Sonorbox.ini");
    const PlayerSettings settings(path);
    EXPECT_EQ(settings.getRepeat(), Repeat::list);
    EXPECT_FALSE(settings.getShuffle());
    for (const auto& [repeat, written] :
         {std::pair{Repeat::off, "Off"}, {Repeat::song, "Song"}, {Repeat::list, "List"}}) {
        settings.putRepeat(repeat);
        EXPECT_EQ(IniFile(path).read("Sonorbox", "Repeat"), written);
        EXPECT_EQ(PlayerSettings(path).getRepeat(), repeat) << written;
    }
    settings.putShuffle(true);
    EXPECT_EQ(IniFile(path).read("Sonorbox", "Shuffle"), "1");
    EXPECT_TRUE(PlayerSettings(path).getShuffle());
    settings.putShuffle(false);
    EXPECT_EQ(IniFile(path).read("Sonorbox", "Shuffle"), "0");
    EXPECT_FALSE(PlayerSettings(path).getShuffle());
    // The other settings of the section stay as they were.
    settings.putSong("/music/a.mp3");
    settings.putRepeat(Repeat::off);
    EXPECT_EQ(settings.getSong(), "/music/a.mp3");
}

TEST(PlayerSettings, RepeatAndShuffleReadInAnyCaseAndAnythingElseAsTheFirstBehaviour)
{
    TempFolder folder;
    const std::vector<std::pair<std::string, Repeat>> repeats = {
        {"off", Repeat::off},       {"SONG", Repeat::song},    {"  Off  ", Repeat::off}, {"list", Repeat::list},
        {"", Repeat::list},         {"Of", Repeat::list},      {"Offf", Repeat::list},   {"2", Repeat::list},
        {"Song Off", Repeat::list}, {"\xff\xfe", Repeat::list}};
    for (const auto& [text, repeat] : repeats) {
        const PlayerSettings settings(folder.write("Sonorbox.ini", "[Sonorbox]\nRepeat=" + text + "\n"));
        EXPECT_EQ(settings.getRepeat(), repeat) << text;
    }
    const std::vector<std::pair<std::string, bool>> shuffles = {{"1", true},   {" 1 ", true}, {"0", false},
                                                                {"", false},   {"2", false},  {"yes", false},
                                                                {"1x", false}, {"-1", false}};
    for (const auto& [text, shuffle] : shuffles) {
        const PlayerSettings settings(folder.write("Sonorbox.ini", "[Sonorbox]\nShuffle=" + text + "\n"));
        EXPECT_EQ(settings.getShuffle(), shuffle) << text;
    }
    // A file that cannot be read at all: a folder in its place.
    const PlayerSettings unreadable(folder.path());
    EXPECT_EQ(unreadable.getRepeat(), Repeat::list);
    EXPECT_FALSE(unreadable.getShuffle());
}
