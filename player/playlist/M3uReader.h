#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ListFile.h"
#include "LoadBudget.h"
#include "NameLookup.h"
#include "Playlist.h"

// Reads M3U lists into song paths: one path per line, relative lines joined
// to the list's folder, "file:" URIs decoded, lines naming another list read
// in its place; and folders, walked for their songs and lists. A line
// longer than ListLines::maxLineLength or holding a NUL byte names nothing.
// A line naming no file as written names the file whose name differs in
// letter case only (at any step of its path), or else, in a list that is not
// ".m3u8" and for a line that is not UTF-8, the file its bytes name when
// read as Windows-1252; a line naming nothing at all stays as written.
// Only regular files are read as lists. A list is never read again while it
// is being read, whatever name reaches it, and lists nest at most maxDepth
// deep, so a list that names itself ends. One reader is one load: it stops
// where its LoadBudget ends, and says so once.
class M3uReader {
public:
    static constexpr int maxDepth = 16;

    using StopCheck = LoadStopCheck;

    explicit M3uReader(const ListNotice& notice, StopCheck shouldStop = {})
        : notice_(notice), shouldStop_(std::move(shouldStop))
    {
    }

    // Adds the entries of the list at path; false when the list cannot be
    // read (missing, not a regular file, already being read, or nested too
    // deep).
    bool read(const std::string& path, std::vector<std::string>& entries)
    {
        return readList(path, entries) == ListRead::read;
    }

    // Adds the songs of a folder and its sub-folders in natural order of
    // their paths, each list found read in its place.
    void readFolder(const std::string& path, std::vector<std::string>& entries);

    // "Could not load playlist: ..." for the first list of the load that
    // could not be read; later ones pass in silence.
    void reportUnreadable(const std::string& path);

private:
    enum class ListRead { read, unreadable, alreadyOpen, tooDeep };

    ListRead readList(const std::string& path, std::vector<std::string>& entries);
    // Why a list named by a line was not read, said once a load for each
    // reason.
    void reportRefused(ListRead why, const std::string& path);
    void readOpened(ListFile& file, const std::string& path, std::vector<std::string>& entries);
    // Where a list's lines come from: its folder, and whether the list is
    // UTF-8 by its name.
    struct ListSource {
        std::string folder;
        bool isUtf8;
    };

    void addLine(const ListSource& source, std::string line, std::vector<std::string>& entries);
    std::string namedFile(const ListSource& source, const std::string& line);
    static std::string pathOf(const std::string& folder, const std::string& line);
    bool stopRequested();
    void reportSpentBudget();
    // An entry found by the load: a list is read in its place.
    void addEntry(std::string entry, std::vector<std::string>& entries);

    const ListNotice& notice_;
    StopCheck shouldStop_;
    LoadBudget budget_;
    NameLookup names_{budget_};
    std::vector<ListFile::Identity> openLists_;
    std::string loadPath_;
    bool stopped_ = false;
    bool reportedUnreadable_ = false;
    bool reportedSelf_ = false;
    bool reportedDepth_ = false;
    bool reportedBudget_ = false;
};
