#include <gtest/gtest.h>

#include "PathText.h"

using namespace pathtext;

TEST(PathText, SplitsAtTheLastSeparator)
{
    EXPECT_EQ(directoryOf("/lists/rock/l.m3u"), "/lists/rock");
    EXPECT_EQ(fileNameOf("/lists/rock/l.m3u"), "l.m3u");
    EXPECT_EQ(directoryOf("/l.m3u"), "");
    EXPECT_EQ(directoryOf("l.m3u"), "");
    EXPECT_EQ(fileNameOf("l.m3u"), "l.m3u");
}

TEST(PathText, JoinsWithOneSeparator)
{
    EXPECT_EQ(join("/lists", "a.mp3"), "/lists/a.mp3");
    EXPECT_EQ(join("/lists/", "a.mp3"), "/lists/a.mp3");
    EXPECT_EQ(join("", "a.mp3"), "a.mp3");
    EXPECT_EQ(join("/", "a.mp3"), "/a.mp3");
}

TEST(PathText, ReadsListTextWrittenOnWindows)
{
    EXPECT_EQ(fromListText("sub\\b.mp3"), "sub/b.mp3");
    EXPECT_TRUE(isAbsolute(fromListText("\\music\\a.mp3")));
    EXPECT_FALSE(isAbsolute("music/a.mp3"));
    EXPECT_FALSE(isAbsolute(""));
}

TEST(PathText, ComparesEndingsAndPartsWithoutCase)
{
    EXPECT_TRUE(endsWithNoCase("/x/L.M3U", ".m3u"));
    EXPECT_TRUE(endsWithNoCase("/x/l.m3U", ".M3u"));
    EXPECT_FALSE(endsWithNoCase("m3u", ".m3u"));
    EXPECT_FALSE(endsWithNoCase("/x/l.m3u8", ".m3u"));
    EXPECT_TRUE(containsNoCase("HTTP://host/a.mp3", "://"));
    EXPECT_FALSE(containsNoCase("c:/a.mp3", "://"));
}

TEST(PathText, CutsAnExtensionOnly)
{
    EXPECT_EQ(withoutExtension("Blue Song.mp3"), "Blue Song");
    EXPECT_EQ(withoutExtension("list.m3u8"), "list");
    EXPECT_EQ(withoutExtension("a.b"), "a");
    EXPECT_EQ(withoutExtension("archive.tar.gz"), "archive.tar");
    EXPECT_EQ(withoutExtension("Caf\xc3\xa9.\xc3\xa9t\xc3\xa9!"), "Caf\xc3\xa9"); // four characters, seven bytes
    // What is not an extension stays.
    EXPECT_EQ(withoutExtension("Yesterday"), "Yesterday");
    EXPECT_EQ(withoutExtension("songs"), "songs");
    EXPECT_EQ(withoutExtension("Vol. 1"), "Vol. 1");
    EXPECT_EQ(withoutExtension("Take.fives"), "Take.fives");
    EXPECT_EQ(withoutExtension("end."), "end.");
    EXPECT_EQ(withoutExtension("a..mp3"), "a.");
    EXPECT_EQ(withoutExtension("x.m 3"), "x.m 3");
    EXPECT_EQ(withoutExtension(".mp3"), ".mp3");
    EXPECT_EQ(withoutExtension(""), "");
}
