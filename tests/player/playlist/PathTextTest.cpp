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
