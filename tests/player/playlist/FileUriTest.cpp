#include <gtest/gtest.h>

#include "FileUri.h"
#include "ListFixture.h"

namespace {

using Entries = std::vector<std::string>;

struct FileUriLines : ListFixture {};

} // namespace

TEST(FileUri, NamesTheLocalFileWithItsEscapesDecoded)
{
    EXPECT_EQ(pathOfFileUri("file:///music/a%20b.mp3"), "/music/a b.mp3");
    EXPECT_EQ(pathOfFileUri("FILE://localhost/music/%C3%A9t%C3%A9.mp3"), "/music/\xc3\xa9t\xc3\xa9.mp3");
    EXPECT_EQ(pathOfFileUri("file://LocalHost/x%2fy.mp3"), "/x/y.mp3");
    EXPECT_EQ(pathOfFileUri("file:/music/minimal.mp3"), "/music/minimal.mp3");
    EXPECT_EQ(pathOfFileUri("file:///music/song.mp3?query#part"), "/music/song.mp3");
    // A bare percent sign is no escape, and a name may hold "%25" for it.
    EXPECT_EQ(pathOfFileUri("file:///100%25.mp3"), "/100%.mp3");
}

TEST(FileUri, RefusesWhatIsNoLocalFile)
{
    EXPECT_EQ(pathOfFileUri("http://host/a.mp3"), std::nullopt);
    EXPECT_EQ(pathOfFileUri("/music/a.mp3"), std::nullopt);
    EXPECT_EQ(pathOfFileUri("file:relative.mp3"), std::nullopt);
    EXPECT_EQ(pathOfFileUri("file://"), std::nullopt);
    EXPECT_EQ(pathOfFileUri("file://host"), std::nullopt);
    EXPECT_EQ(pathOfFileUri("file://otherhost/music/a.mp3"), std::nullopt);
    // Broken escapes, and a NUL that would end the name early.
    EXPECT_EQ(pathOfFileUri("file:///a%2"), std::nullopt);
    EXPECT_EQ(pathOfFileUri("file:///a%"), std::nullopt);
    EXPECT_EQ(pathOfFileUri("file:///a%zz.mp3"), std::nullopt);
    EXPECT_EQ(pathOfFileUri("file:///a%00b.mp3"), std::nullopt);
}

TEST_F(FileUriLines, ListLinesWrittenAsUrisNameTheirFiles)
{
    const std::string song = folder.write("My Songs/été & co.mp3", "x");
    const std::string other = folder.write("lists/inner.m3u", "file://" + folder.file("b.mp3") + "\n");
    const std::string path =
        folder.write("l.m3u", "file://" + folder.path() + "/My%20Songs/%C3%A9t%C3%A9%20%26%20co.mp3\n" +
                                  "file://localhost" + other + "\nhttp://radio/stream\n");
    list.loadList(path);
    EXPECT_EQ(list.entries(), (Entries{song, folder.file("b.mp3"), "http://radio/stream"}));
    EXPECT_TRUE(shownTexts().empty());
}
