#include "M3uReader.h"

#include <algorithm>

#include "FileUri.h"
#include "FolderSongs.h"
#include "ListLines.h"
#include "PathText.h"
#include "TextEncoding.h"

namespace {

const char* const byteOrderMark = "\xef\xbb\xbf";

void removeLineEnds(std::string& text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
}

} // namespace

bool isListPath(const std::string& path)
{
    return pathtext::endsWithNoCase(path, ".m3u") || isUtf8ListPath(path);
}

bool isUtf8ListPath(const std::string& path)
{
    return pathtext::endsWithNoCase(path, ".m3u8");
}

void M3uReader::reportUnreadable(const std::string& path)
{
    // A list naming thousands of missing lists would otherwise bury the user
    // in boxes; the first one tells what is wrong.
    if (reportedUnreadable_ || stopped_) return;
    reportedUnreadable_ = true;
    notice_("Could not load playlist: " + path);
}

void M3uReader::reportSpentBudget()
{
    if (reportedBudget_ || stopped_) return;
    reportedBudget_ = true;
    notice_("Playlist too large, only part of it was loaded: " + loadPath_);
}

bool M3uReader::stopRequested()
{
    if (!stopped_ && shouldStop_ && shouldStop_()) stopped_ = true;
    return stopped_;
}

void M3uReader::reportRefused(ListRead why, const std::string& path)
{
    if (stopped_) return;
    switch (why) {
    case ListRead::read:
        return;
    case ListRead::unreadable:
        reportUnreadable(path);
        return;
    case ListRead::alreadyOpen:
        if (reportedSelf_) return;
        reportedSelf_ = true;
        notice_("The playlist names itself (directly or through other lists), so it was read only once: " + path);
        return;
    case ListRead::tooDeep:
        if (reportedDepth_) return;
        reportedDepth_ = true;
        notice_("Playlists nested deeper than " + std::to_string(maxDepth) + " were not loaded: " + path);
        return;
    }
}

M3uReader::ListRead M3uReader::readList(const std::string& path, std::vector<std::string>& entries)
{
    if (openLists_.empty() && loadPath_.empty()) loadPath_ = path;
    if (static_cast<int>(openLists_.size()) >= maxDepth) return ListRead::tooDeep;
    // A list past the budget is not unreadable: the load ends, said once by
    // the list that was being read.
    if (!budget_.takeListTry(path.size())) return ListRead::read;
    ListFile file;
    if (!file.open(path)) return ListRead::unreadable;
    if (std::find(openLists_.begin(), openLists_.end(), file.identity()) != openLists_.end())
        return ListRead::alreadyOpen;
    if (!budget_.takeListRead()) return ListRead::read;

    openLists_.push_back(file.identity());
    readOpened(file, path, entries);
    openLists_.pop_back();
    return ListRead::read;
}

void M3uReader::readOpened(ListFile& file, const std::string& path, std::vector<std::string>& entries)
{
    const ListSource source{pathtext::directoryOf(path), isUtf8ListPath(path)};
    ListLines lines(file, budget_.bytesLeft());
    std::string line;
    bool first = true;
    while (!stopRequested()) {
        ListLines::Next next = lines.next(line);
        if (next == ListLines::Next::end) return;
        // A byte order mark, as Windows editors write at the start of UTF-8
        // text, is no part of the first name.
        if (first && line.rfind(byteOrderMark, 0) == 0) line.erase(0, std::string_view(byteOrderMark).size());
        first = false;
        if (next == ListLines::Next::outOfBytes)
            budget_.spend();
        else if (next == ListLines::Next::line)
            addLine(source, line, entries);
        if (budget_.spent()) {
            reportSpentBudget();
            return;
        }
    }
}

std::string M3uReader::pathOf(const std::string& folder, const std::string& line)
{
    std::string path = pathtext::fromListText(line);
    return pathtext::isAbsolute(path) ? path : pathtext::join(folder, path);
}

std::string M3uReader::namedFile(const ListSource& source, const std::string& line)
{
    std::string written = pathOf(source.folder, line);
    if (std::optional<std::string> found = names_.find(written)) return *found;
    // Lists written on Windows hold names in its code page; a ".m3u8" list
    // is UTF-8 whatever its bytes.
    if (!source.isUtf8 && !textencoding::isUtf8(line)) {
        if (std::optional<std::string> found =
                names_.find(pathOf(source.folder, textencoding::windows1252ToUtf8(line))))
            return *found;
    }
    return written;
}

void M3uReader::addLine(const ListSource& source, std::string line, std::vector<std::string>& entries)
{
    removeLineEnds(line);
    // Blank lines and the "#" lines of extended lists name no song. As entries
    // they would be passed over going forward but would catch Previous, which
    // would land on one, fail to open it, and step forward again. A NUL byte
    // ends the name for the file system, so the line would open a file other
    // than the one it spells.
    if (line.empty() || line.front() == '#' || line.find('\0') != std::string::npos) return;
    // A local file's URI names its file; another address stands as it is
    // written; a name that no file has as written is looked for as Windows
    // would find it.
    std::string entry;
    if (std::optional<std::string> path = pathOfFileUri(line))
        entry = std::move(*path);
    else if (pathtext::containsNoCase(line, "://"))
        entry = std::move(line);
    else
        entry = namedFile(source, line);
    // Joined to a deep folder a line can outgrow any path a file can have.
    if (entry.size() > ListLines::maxLineLength) return;
    addEntry(std::move(entry), entries);
}

void M3uReader::addEntry(std::string entry, std::vector<std::string>& entries)
{
    if (!isListPath(entry)) {
        if (budget_.takeEntry(entry.size())) entries.push_back(std::move(entry));
    } else {
        reportRefused(readList(entry, entries), entry);
    }
}

void M3uReader::readFolder(const std::string& path, std::vector<std::string>& entries)
{
    loadPath_ = path;
    for (std::string& found : foldersongs::songsAndListsIn(path, budget_, [this] { return stopRequested(); })) {
        if (stopRequested()) return;
        addEntry(std::move(found), entries);
        if (budget_.spent()) break;
    }
    if (budget_.spent()) reportSpentBudget();
}
