// Writing a list as M3U8: its lines, names relative to the list's folder,
// odd names read back by our own reading to the same files, and a write that
// fails losing nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ListFixture.h"
#include "M3uWriter.h"

namespace fs = std::filesystem;

namespace {

using Entries = std::vector<std::string>;

std::string contentOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct M3uWriting : ListFixture {
    std::vector<m3uwriting::Entry> entriesOf(const Entries& paths)
    {
        std::vector<m3uwriting::Entry> entries;
        for (const std::string& path : paths) entries.push_back({path, -1, "", ""});
        return entries;
    }

    // Writes the paths as a list at listPath and reads it back.
    Entries roundTrip(const std::string& listPath, const Entries& paths)
    {
        const m3uwriting::Written written = m3uwriting::writeList(listPath, entriesOf(paths));
        EXPECT_TRUE(written.written) << written.text;
        list.clear();
        list.loadList(listPath);
        return list.entries();
    }

    static bool sameFiles(const Entries& read, const Entries& written)
    {
        if (read.size() != written.size()) return false;
        for (std::size_t i = 0; i < read.size(); ++i)
            if (!fs::equivalent(read[i], written[i])) return false;
        return true;
    }
};

} // namespace

TEST_F(M3uWriting, WritesTheHeaderTheKnownLengthsAndTitlesAndRelativePaths)
{
    const std::string listPath = folder.file("lists/mine.m3u8");
    fs::create_directories(folder.file("lists/sub"));
    const std::vector<m3uwriting::Entry> entries{
        {folder.file("lists/sub/a.mp3"), 215, "The Band", "A Song"},
        {folder.file("lists/b.mp3"), 62, "", "Only a Title"},
        {folder.file("other/c.mp3"), -1, "", ""},
        {"http://radio.example.org/stream", -1, "", ""},
        {folder.file("d.mp3"), -1, "Artist", "Two\nLines"},
    };
    EXPECT_EQ(m3uwriting::listText(listPath, entries), "#EXTM3U\n"
                                                       "#EXTINF:215,The Band - A Song\n"
                                                       "sub/a.mp3\n"
                                                       "#EXTINF:62,Only a Title\n"
                                                       "b.mp3\n"
                                                       "../other/c.mp3\n"
                                                       "http://radio.example.org/stream\n"
                                                       "#EXTINF:-1,Artist - Two Lines\n"
                                                       "../d.mp3\n");
}

TEST_F(M3uWriting, OddNamesReadBackToTheSameFiles)
{
    const Entries names{"with spaces.mp3", " leading space.mp3", "#hash first.mp3",       "Grüße – 日本.mp3",
                        "back\\slash.mp3", "file:not a uri.mp3", "odd://in a folder.mp3", "new\nline.mp3",
                        "percent %41.mp3", "question?.mp3",      "hash # inside.mp3",     "latin1 \xe9.mp3"};
    Entries paths;
    for (const std::string& name : names) paths.push_back(folder.write("songs/" + name, "x"));
    // From above the songs, beside them, and from a folder beside theirs (..).
    for (const std::string& listPath :
         {folder.file("up.m3u8"), folder.file("songs/here.m3u8"), folder.file("lists/away.m3u8")}) {
        fs::create_directories(fs::path(listPath).parent_path());
        const Entries read = roundTrip(listPath, paths);
        EXPECT_TRUE(sameFiles(read, paths)) << listPath << "\n" << contentOf(listPath);
        EXPECT_TRUE(shownTexts().empty());
    }
    // Names the reading takes as written are written relative to the list;
    // the others as "file:" URIs.
    std::istringstream lines(contentOf(folder.file("lists/away.m3u8")));
    int relative = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("../songs/", 0) == 0)
            ++relative;
        else
            EXPECT_TRUE(line.front() == '#' || line.rfind("file:///", 0) == 0) << line;
    }
    EXPECT_EQ(relative, 9);
}

TEST_F(M3uWriting, ClimbsFromTheListsFolderAsTheFileSystemDoes)
{
    // The list's folder is a link elsewhere: ".." from it is the folder
    // above its target, not above the link.
    const std::string song = folder.write("music/a.mp3", "x");
    fs::create_directories(folder.file("deep/er/lists"));
    fs::create_directory_symlink(folder.file("deep/er/lists"), folder.file("lists"));
    const std::string listPath = folder.file("lists/l.m3u8");
    EXPECT_TRUE(sameFiles(roundTrip(listPath, {song}), {song})) << contentOf(listPath);
}

TEST_F(M3uWriting, AFailedWriteSaysSoAndLosesNothing)
{
    const auto entries = entriesOf({folder.write("song.mp3", "x")});
    // A folder where the list would go: the new list cannot replace it, and
    // the folder and what it holds stay.
    const std::string held = folder.write("taken.m3u8/inside.mp3", "kept");
    const m3uwriting::Written refused = m3uwriting::writeList(folder.file("taken.m3u8"), entries);
    EXPECT_FALSE(refused.written);
    EXPECT_EQ(refused.text.rfind("Could not save playlist: " + folder.file("taken.m3u8") + " (", 0), 0u)
        << refused.text;
    EXPECT_EQ(contentOf(held), "kept");
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2);

    // A folder that is a file: nothing can be written in it.
    const m3uwriting::Written noFolder = m3uwriting::writeList(folder.file("song.mp3/l.m3u8"), entries);
    EXPECT_FALSE(noFolder.written);
    EXPECT_FALSE(noFolder.text.empty());
    EXPECT_EQ(contentOf(folder.file("song.mp3")), "x");
}

TEST_F(M3uWriting, ReplacesAnOldListAndWritesThroughALink)
{
    const std::string listPath = folder.write("real.m3u8", "#EXTM3U\nold.mp3\n");
    fs::permissions(listPath, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(listPath, folder.file("link.m3u8"));
    const std::string song = folder.write("new.mp3", "x");
    EXPECT_TRUE(m3uwriting::writeList(folder.file("link.m3u8"), entriesOf({song})).written);
    EXPECT_TRUE(fs::is_symlink(folder.file("link.m3u8")));
    EXPECT_EQ(contentOf(listPath), "#EXTM3U\nnew.mp3\n");
    EXPECT_EQ(fs::status(listPath).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}
