#include <gtest/gtest.h>

#include "ListFixture.h"
#include "M3uReader.h"

namespace {

using Entries = std::vector<std::string>;

const std::string namesItself =
    "The playlist names itself (directly or through other lists), so it was read only once: ";

struct M3uReading : ListFixture {};

} // namespace

TEST_F(M3uReading, JoinsRelativeLinesToTheListsFolderAndKeepsAbsoluteOnes)
{
    std::string path = folder.write("lists/l.m3u", "a.mp3\n/x/b.mp3\nsub/c.mp3\n../d.mp3\n");
    EXPECT_EQ(list.loadList(path), 1);
    std::string dir = folder.file("lists");
    EXPECT_EQ(list.entries(), (Entries{dir + "/a.mp3", "/x/b.mp3", dir + "/sub/c.mp3", dir + "/../d.mp3"}));
}

TEST_F(M3uReading, ReadsBackslashesOfListsWrittenOnWindows)
{
    std::string path = folder.write("l.m3u", "sub\\c.mp3\r\n\\music\\d.mp3\r\n");
    list.loadList(path);
    EXPECT_EQ(list.entries(), (Entries{folder.file("sub/c.mp3"), "/music/d.mp3"}));
}

TEST_F(M3uReading, RemovesEveryMixOfLineEnds)
{
    std::string path = folder.write("l.m3u", "a.mp3\r\nb.mp3\r\r\nc.mp3\n\nd.mp3");
    list.loadList(path);
    EXPECT_EQ(list.entries(),
              (Entries{folder.file("a.mp3"), folder.file("b.mp3"), folder.file("c.mp3"), folder.file("d.mp3")}));
}

TEST_F(M3uReading, TakesAddressesAsTheyStandAndLocalFileUrisAsTheirFiles)
{
    std::string path = folder.write("l.m3u", "HTTP://host/dir\\a.mp3\r\nfile:///music/b.mp3\n");
    list.loadList(path);
    EXPECT_EQ(list.entries(), (Entries{"HTTP://host/dir\\a.mp3", "/music/b.mp3"}));
}

TEST_F(M3uReading, SkipsBlankAndCommentLines)
{
    // An extended list: only its songs become entries, so Previous from b.mp3
    // reaches a.mp3 instead of a comment line.
    std::string path = folder.write("l.m3u", "#EXTM3U\r\n#EXTINF:12,Title\r\na.mp3\r\n\r\n\n#EXTINF:7,Other\nb.mp3\n");
    list.loadList(path);
    EXPECT_EQ(list.entries(), (Entries{folder.file("a.mp3"), folder.file("b.mp3")}));
}

TEST_F(M3uReading, ReadsNestedListsInPlaceInAnyCase)
{
    folder.write("inner/IN.M3U", "b.mp3\nc.mp3\n");
    std::string outer = folder.write("out.m3u", "a.mp3\ninner/IN.M3U\nd.mp3\n");
    list.addFileOrList(outer);
    EXPECT_EQ(list.entries(), (Entries{folder.file("a.mp3"), folder.file("inner/b.mp3"), folder.file("inner/c.mp3"),
                                       folder.file("d.mp3")}));
    EXPECT_TRUE(shownTexts().empty());
}

TEST_F(M3uReading, ReportsAMissingNestedListAndReadsOn)
{
    std::string outer = folder.write("out.m3u", "a.mp3\ngone.m3u\nb.mp3\n");
    EXPECT_EQ(list.loadList(outer), 1);
    EXPECT_EQ(list.entries(), (Entries{folder.file("a.mp3"), folder.file("b.mp3")}));
    EXPECT_EQ(shownTexts(), (Entries{"Could not load playlist: " + folder.file("gone.m3u")}));
}

TEST_F(M3uReading, ReadsAListThatNamesItselfOnlyOnce)
{
    std::string self = folder.write("self.m3u", "a.mp3\nself.m3u\n./self.m3u\nb.mp3\n");
    list.addFileOrList(self);
    EXPECT_EQ(list.entries(), (Entries{folder.file("a.mp3"), folder.file("b.mp3")}));
    // The list loaded: it is not called unreadable. Both lines name it, but
    // one load says so once.
    EXPECT_EQ(shownTexts(), (Entries{namesItself + folder.file("self.m3u")}));
}

TEST_F(M3uReading, TellsEachReasonForAListNotReadOnce)
{
    std::string self = folder.write("self.m3u", "gone.m3u\nself.m3u\nmissing.m3u\na.mp3\n");
    list.addFileOrList(self);
    EXPECT_EQ(list.entries(), (Entries{folder.file("a.mp3")}));
    EXPECT_EQ(shownTexts(),
              (Entries{"Could not load playlist: " + folder.file("gone.m3u"), namesItself + folder.file("self.m3u")}));
}

TEST_F(M3uReading, ReadsACircleOfListsOnceRound)
{
    folder.write("one.m3u", "1.mp3\ntwo.m3u\n");
    folder.write("two.m3u", "2.mp3\none.m3u\n");
    list.addFileOrList(folder.file("one.m3u"));
    EXPECT_EQ(list.entries(), (Entries{folder.file("1.mp3"), folder.file("2.mp3")}));
    EXPECT_EQ(shownTexts(), (Entries{namesItself + folder.file("one.m3u")}));
}

TEST_F(M3uReading, BoundsTheNestingDepth)
{
    const int lists = M3uReader::maxDepth + 4;
    auto listName = [](int i) { return std::string("l").append(std::to_string(i)).append(".m3u"); };
    for (int i = 0; i < lists; ++i)
        folder.write(listName(i),
                     std::string("song").append(std::to_string(i)).append(".mp3\n") + listName(i + 1) + "\n");
    list.addFileOrList(folder.file("l0.m3u"));

    EXPECT_EQ(list.count(), M3uReader::maxDepth);
    // Every list is there: the message tells the depth, not a fault of the
    // list.
    EXPECT_EQ(shownTexts(), (Entries{"Playlists nested deeper than 16 were not loaded: " +
                                     folder.file(listName(M3uReader::maxDepth))}));
}

TEST_F(M3uReading, KeepsLongLinesWhole)
{
    std::string longName(700, 'n');
    std::string path = folder.write("l.m3u", longName + ".mp3\r\nshort.mp3\n");
    list.loadList(path);
    EXPECT_EQ(list.entries(), (Entries{folder.file(longName + ".mp3"), folder.file("short.mp3")}));
}

TEST_F(M3uReading, ResolvesAListWithoutFolderAgainstTheWorkingFolder)
{
    std::string saved = std::filesystem::current_path().string();
    folder.write("here.m3u", "a.mp3\n");
    std::filesystem::current_path(folder.path());
    list.loadList("here.m3u");
    std::filesystem::current_path(saved);
    EXPECT_EQ(list.entries(), (Entries{"a.mp3"}));
}
