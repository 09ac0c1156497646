#include <gtest/gtest.h>

#include "Playlist.h"
#include "RecordedNotices.h"
#include "TempFolder.h"

namespace {

using Entries = std::vector<std::string>;

std::string current(const Playlist& list)
{
    std::string path;
    return list.getCurrent(path) ? path : "(none)";
}

} // namespace

TEST(Playlist, EmptyListHasNoCurrentEntryAndRefusesMoves)
{
    RecordedNotices notices;
    Playlist list(notices.notice());
    std::string path = "unchanged";
    EXPECT_EQ(list.getCurrent(path), 0);
    EXPECT_EQ(path, "unchanged");
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.moveTo(0), 0);
    EXPECT_EQ(list.moveNext(), 0);
    EXPECT_EQ(list.movePrevious(), 0);
}

TEST(Playlist, StepsThroughEntriesAndStopsAtBothEnds)
{
    RecordedNotices notices;
    Playlist list(notices.notice());
    for (const char* path : {"a", "b", "c"}) list.append(path);
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(current(list), "a"); // the first entry appended is current

    EXPECT_EQ(list.movePrevious(), 0);
    EXPECT_EQ(current(list), "a");
    EXPECT_EQ(list.moveNext(), 1);
    EXPECT_EQ(list.moveNext(), 1);
    EXPECT_EQ(current(list), "c");
    EXPECT_EQ(list.moveNext(), 0);
    EXPECT_EQ(current(list), "c");

    EXPECT_EQ(list.moveTo(1), 1);
    EXPECT_EQ(current(list), "b");
    EXPECT_EQ(list.moveTo(list.count()), 0); // selects the last entry
    EXPECT_EQ(current(list), "c");
    EXPECT_EQ(list.moveTo(0), 1);
    EXPECT_EQ(current(list), "a");

    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(current(list), "(none)");
}

TEST(Playlist, AddsASongAsOneEntryWhateverItsName)
{
    RecordedNotices notices;
    Playlist list(notices.notice());
    list.addFileOrList("/music/missing.mp3");
    list.addFileOrList("/music/no extension");
    EXPECT_EQ(list.entries(), (Entries{"/music/missing.mp3", "/music/no extension"}));
    EXPECT_TRUE(notices.texts().empty());
}

TEST(Playlist, ReportsAListThatCannotBeReadAndKeepsWhatItHas)
{
    RecordedNotices notices;
    Playlist list(notices.notice());
    list.append("/music/a.mp3");
    list.addFileOrList("/nowhere/list.M3U");
    EXPECT_EQ(list.loadList("/nowhere/other.m3u"), 0);

    EXPECT_EQ(list.entries(), (Entries{"/music/a.mp3"}));
    // The engine shows it (PlayerTest.AListThatCannotBeReadIsToldInAnErrorBoxWithoutWaiting).
    EXPECT_EQ(notices.texts(), std::vector<std::string>{"Could not load playlist: /nowhere/list.M3U"});
}

TEST(Playlist, ReplacesTheWholeListInOneStep)
{
    TempFolder folder;
    std::string list = folder.write("l.m3u", "one.mp3\ntwo.mp3\n");
    RecordedNotices notices;
    Playlist playlist(notices.notice());
    playlist.append("/old/a.mp3");
    playlist.append("/old/b.mp3");
    playlist.moveNext();

    playlist.replaceWithAll({list});
    EXPECT_EQ(playlist.entries(), (Entries{folder.file("one.mp3"), folder.file("two.mp3")}));
    // The last is current, so that the step after it is the first.
    EXPECT_EQ(current(playlist), folder.file("two.mp3"));

    playlist.replaceWithAll({"/music/song.mp3"});
    EXPECT_EQ(playlist.entries(), (Entries{"/music/song.mp3"}));
    playlist.replaceWithAll({"/music/song.mp3", list});
    EXPECT_EQ(playlist.entries(), (Entries{"/music/song.mp3", folder.file("one.mp3"), folder.file("two.mp3")}));
}
