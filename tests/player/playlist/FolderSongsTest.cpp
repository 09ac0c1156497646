#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

#include "FolderSongs.h"
#include "ListFixture.h"
#include "LoadBudget.h"

namespace {

using Entries = std::vector<std::string>;

struct FolderSongs : ListFixture {
    Entries walked(const std::string& at)
    {
        LoadBudget budget;
        return foldersongs::songsAndListsIn(at, budget, {});
    }
};

} // namespace

TEST_F(FolderSongs, AFolderPlaysItsSongsAndSubFoldersInNaturalOrder)
{
    for (const char* name : {"10 x.mp3", "2 x.mp3", "B/1.MP3", "a/3.mp3", "a/sub/1.mp3", "cover.jpg", "notes.txt",
                             ".hidden.mp3", ".cache/1.mp3"})
        folder.write(name, "x");
    EXPECT_EQ(walked(folder.path()), (Entries{folder.file("2 x.mp3"), folder.file("10 x.mp3"), folder.file("a/3.mp3"),
                                              folder.file("a/sub/1.mp3"), folder.file("B/1.MP3")}));

    list.replaceWithAll({folder.path()});
    EXPECT_EQ(list.entries(), walked(folder.path()));
    EXPECT_TRUE(shownTexts().empty());
}

TEST_F(FolderSongs, ListsInAFolderAreReadInTheirPlace)
{
    folder.write("1 first.mp3", "x");
    folder.write("2 list.m3u", "inner.mp3\n");
    folder.write("3 last.mp3", "x");
    list.replaceWithAll({folder.path()});
    EXPECT_EQ(list.entries(),
              (Entries{folder.file("1 first.mp3"), folder.file("inner.mp3"), folder.file("3 last.mp3")}));
}

TEST_F(FolderSongs, LinksAreFollowedOnceAndFifosAndDevicesPassedOver)
{
    namespace fs = std::filesystem;
    folder.write("music/1.mp3", "x");
    fs::create_directory_symlink(folder.file("music"), folder.file("music/again"));
    fs::create_directory_symlink(folder.file("nowhere"), folder.file("music/dangling"));
    fs::create_symlink("/dev/null", folder.file("music/device.mp3"));
    ASSERT_EQ(::mkfifo(folder.file("music/pipe.mp3").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(folder.file("music/pipe.m3u").c_str(), 0600), 0);
    EXPECT_EQ(walked(folder.file("music")), (Entries{folder.file("music/1.mp3")}));
}

TEST_F(FolderSongs, NestingEndsAtItsDepthAndAnUnreadableFolderGivesNothing)
{
    std::string deep;
    for (int level = 0; level <= foldersongs::maxDepth + 2; ++level) deep += "d/";
    folder.write(deep + "too-deep.mp3", "x");
    folder.write("d/shallow.mp3", "x");
    EXPECT_EQ(walked(folder.path()), (Entries{folder.file("d/shallow.mp3")}));

    EXPECT_TRUE(walked(folder.file("missing")).empty());
    EXPECT_FALSE(foldersongs::isFolder(folder.file("d/shallow.mp3")));
    EXPECT_TRUE(foldersongs::isFolder(folder.file("d")));
}

TEST_F(FolderSongs, AStopAskedEndsTheWalkWithWhatItFound)
{
    for (int n = 1; n <= 5; ++n) folder.write(std::to_string(n) + ".mp3", "x");
    LoadBudget budget;
    int asked = 0;
    const Entries found = foldersongs::songsAndListsIn(folder.path(), budget, [&] { return ++asked > 3; });
    EXPECT_LT(found.size(), 5u);
    EXPECT_GT(asked, 3);
}
