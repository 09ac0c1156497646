// Lists made to hurt: lists that multiply, files that are not lists, names
// that are not what they spell, lines without end, and a load that is asked
// to stop.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ListFixture.h"
#include "ListLines.h"
#include "LoadBudget.h"
#include "M3uReader.h"

using namespace std::chrono_literals;

namespace {

using Entries = std::vector<std::string>;

const std::string tooLarge = "Playlist too large, only part of it was loaded: ";
const std::string unreadable = "Could not load playlist: ";

std::string repeated(const std::string& text, int times)
{
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

struct HostileLists : ListFixture {
    // Six lists, each naming the next one ten times, the last holding the
    // songs: 100,000 times as many entries as it has songs.
    std::string fanOut(const std::string& songs)
    {
        auto listName = [](int number) { return std::string("f").append(std::to_string(number)).append(".m3u"); };
        for (int i = 0; i < 5; ++i) folder.write(listName(i), repeated(listName(i + 1) + "\n", 10));
        folder.write("f5.m3u", songs);
        return folder.file("f0.m3u");
    }

    // Loads path on another thread; a load still busy after the time limit
    // is freed by a writer on every FIFO named, and fails the test.
    void loadWithoutBlocking(const std::string& path, const std::vector<std::string>& fifos)
    {
        auto load = std::async(std::launch::async, [&] { list.addFileOrList(path); });
        if (load.wait_for(10s) != std::future_status::ready) {
            for (const auto& fifo : fifos) ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
            ADD_FAILURE() << "reading " << path << " blocked";
        }
        load.wait();
    }
};

} // namespace

TEST_F(HostileLists, AFanOutOfListsStopsAtTheEntryBoundAndSaysSoOnce)
{
    // Ten million entries, from a thousand lists read before the bound.
    std::string top = fanOut(repeated("s.mp3\n", 100));
    list.addFileOrList(top);
    EXPECT_EQ(static_cast<std::size_t>(list.count()), LoadBudget::maxEntries);
    EXPECT_EQ(list.entries().front(), folder.file("s.mp3"));
    EXPECT_EQ(shownTexts(), (Entries{tooLarge + top}));
}

TEST_F(HostileLists, AFanOutWithoutSongsStopsAtTheBoundOnListsRead)
{
    // 111,111 lists to read and not one entry.
    std::string top = fanOut("#EXTM3U\n");
    list.addFileOrList(top);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(shownTexts(), (Entries{tooLarge + top}));

    // The next load has a budget of its own.
    list.addFileOrList(folder.write("fine.m3u", "a.mp3\n"));
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(shownTexts().size(), 1u);
}

TEST_F(HostileLists, AHundredThousandUnreadableListsShowOneMessage)
{
    std::string lines;
    for (int i = 0; i < 100000; ++i) lines += "gone" + std::to_string(i) + ".m3u\n";
    std::string top = folder.write("many.m3u", lines + "last.mp3\n");
    list.addFileOrList(top);
    EXPECT_EQ(list.entries(), (Entries{folder.file("last.mp3")}));
    EXPECT_EQ(shownTexts(), (Entries{unreadable + folder.file("gone0.m3u")}));
}

TEST_F(HostileLists, LookingForNamesInOtherCasesEndsAtItsBoundAndTheLoadGoesOn)
{
    // Each line a path of 300 folders that do not exist, from a folder of
    // its own: without a bound, 300 looks at the disk a line.
    folder.write("sub/song.mp3", "x");
    const std::string steps = repeated("D/", 300);
    std::string lines;
    const int count = 2000;
    for (int i = 0; i < count; ++i) {
        lines += 'X';
        lines += std::to_string(i);
        lines += '/';
        lines += steps;
        lines += "s.mp3\n";
    }
    list.addFileOrList(folder.write("deep.m3u", lines + "SUB/SONG.MP3\n"));
    const Entries entries = list.entries();
    ASSERT_EQ(entries.size(), std::size_t(count + 1));
    std::string first = "X0/";
    first += steps;
    first += "s.mp3";
    EXPECT_EQ(entries[0], folder.file(first));
    // Past the bound the disk is no longer searched: the last stays as written.
    EXPECT_EQ(entries.back(), folder.file("SUB/SONG.MP3"));
    EXPECT_TRUE(shownTexts().empty());
}

TEST_F(HostileLists, AListIsKnownByItsFileWhateverNameReachesIt)
{
    std::string self = folder.write("self.m3u", "a.mp3\nself.m3u\nsoft.m3u\nsub/../hard.m3u\nb.mp3\n");
    std::filesystem::create_hard_link(self, folder.file("hard.m3u"));
    std::filesystem::create_symlink(self, folder.file("soft.m3u"));
    std::filesystem::create_directory(folder.file("sub"));

    // Read through its hard link the list is the same file, and is not read
    // inside itself.
    list.addFileOrList(folder.file("hard.m3u"));
    EXPECT_EQ(list.entries(), (Entries{folder.file("a.mp3"), folder.file("b.mp3")}));
    EXPECT_EQ(shownTexts(), (Entries{"The playlist names itself (directly or through other lists), so it was read "
                                     "only once: " +
                                     folder.file("self.m3u")}));
}

TEST_F(HostileLists, TwoNamesOfOneListSideBySideAreBothRead)
{
    // Only a list inside itself is refused; naming one list twice is fine.
    std::string inner = folder.write("inner.m3u", "x.mp3\n");
    std::filesystem::create_hard_link(inner, folder.file("twin.m3u"));
    list.addFileOrList(folder.write("top.m3u", "inner.m3u\ntwin.m3u\n"));
    EXPECT_EQ(list.entries(), (Entries{folder.file("x.mp3"), folder.file("x.mp3")}));
    EXPECT_TRUE(shownTexts().empty());
}

TEST_F(HostileLists, ALineHoldingANulByteNamesNothing)
{
    using namespace std::string_literals;
    std::string top = folder.write("nul.m3u", "/dev/zero\0.m3u\nsong.mp3\0.m3u\nb\0.mp3\nc.mp3\n"s);
    list.addFileOrList(top);
    EXPECT_EQ(list.entries(), (Entries{folder.file("c.mp3")}));
    EXPECT_TRUE(shownTexts().empty());
}

TEST_F(HostileLists, OnlyRegularFilesAreReadAsListsAndNoneBlocks)
{
    std::string fifo = folder.file("pipe.m3u");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directory(folder.file("folder.m3u"));
    std::filesystem::create_symlink("/dev/zero", folder.file("zero.m3u"));
    std::vector<std::string> fifos{fifo};

    for (const char* name : {"pipe.m3u", "folder.m3u", "zero.m3u"}) {
        loadWithoutBlocking(folder.file(name), fifos);
        EXPECT_EQ(list.count(), 0) << name;
    }
    EXPECT_EQ(shownTexts(), (Entries{unreadable + folder.file("pipe.m3u"), unreadable + folder.file("folder.m3u"),
                                     unreadable + folder.file("zero.m3u")}));

    // Named inside a list they are passed over, with the one message.
    loadWithoutBlocking(folder.write("top.m3u", "pipe.m3u\nfolder.m3u\nzero.m3u\na.mp3\n"), fifos);
    EXPECT_EQ(list.entries(), (Entries{folder.file("a.mp3")}));
    EXPECT_EQ(shownTexts().size(), 4u);
}

TEST_F(HostileLists, OverlongLinesNameNothing)
{
    const std::size_t longest = ListLines::maxLineLength;
    std::string fits(longest - 4, 'f');
    std::string over(longest - 4, 'o');
    const std::string fitting = std::string("/").append(fits, 1).append(".mp3");
    std::string text = fitting;
    text.append("\n/").append(over).append(".m3u\n").append(3 * 1024 * 1024, 'x').append("\nlast.mp3");
    std::string top = folder.write("long.m3u", text);
    list.addFileOrList(top);
    EXPECT_EQ(list.entries(), (Entries{fitting, folder.file("last.mp3")}));
    EXPECT_TRUE(shownTexts().empty());
}

TEST_F(HostileLists, AShortLineInADeepFolderCanStillBeTooLong)
{
    // A folder whose list's entries fit by a few bytes: "/a.mp3" fits and
    // "/longer-name.mp3" does not. Each folder name stays within 255 bytes.
    std::string deep = folder.path();
    const std::size_t deepLength = ListLines::maxLineLength - 8;
    while (deep.size() < deepLength) {
        const std::size_t nameLength = std::min<std::size_t>(200, deepLength - deep.size() - 1);
        deep.append("/").append(nameLength, 'd');
    }
    std::filesystem::create_directories(deep);
    std::string path = deep + "/l.m3u";
    std::ofstream(path) << "a.mp3\nlonger-name.mp3\n";

    list.addFileOrList(path);
    EXPECT_EQ(list.entries(), (Entries{deep + "/a.mp3"}));
    EXPECT_TRUE(shownTexts().empty());
}

TEST_F(HostileLists, AnEndlessLineEndsAtTheBoundOnBytesRead)
{
    std::string top = folder.file("endless.m3u");
    {
        std::ofstream file(top, std::ios::binary);
        std::string piece(1 << 20, 'x');
        for (std::size_t written = 0; written <= LoadBudget::maxBytesRead; written += piece.size()) file << piece;
        file << "\na.mp3\n";
    }
    list.addFileOrList(top);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(shownTexts(), (Entries{tooLarge + top}));
}

TEST_F(HostileLists, AStopEndsTheLoadAtOnceWithoutAWord)
{
    std::string top = fanOut(repeated("s.mp3\n", 10));
    int asked = 0;
    list.addFileOrList(top, [&] { return ++asked > 50; });
    // Asked once a line: the load ended within the lines of one list of each
    // depth, and said nothing of the lists it did not finish.
    EXPECT_EQ(asked, 51);
    EXPECT_LT(list.count(), 50);
    EXPECT_TRUE(shownTexts().empty());
}
