#include "M3uReader.h"

#include <algorithm>

#include "ListLines.h"
#include "PathText.h"
#include "UserMessages.h"

namespace {

const char* const errorCaption = "Application Error";

void removeLineEnds(std::string& text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
}

} // namespace

bool isListPath(const std::string& path) { return pathtext::endsWithNoCase(path, ".m3u"); }

void M3uReader::reportUnreadable(const std::string& path)
{
    // A list naming thousands of missing lists would otherwise bury the user
    // in boxes; the first one tells what is wrong.
    if (reportedUnreadable_ || stopped_)
        return;
    reportedUnreadable_ = true;
    messages_.post(errorCaption, "Could not load playlist: " + path, MessageIcon::none);
}

void M3uReader::reportSpentBudget()
{
    if (reportedBudget_ || stopped_)
        return;
    reportedBudget_ = true;
    messages_.post(errorCaption, "Playlist too large, only part of it was loaded: " + loadPath_, MessageIcon::none);
}

bool M3uReader::stopRequested()
{
    if (!stopped_ && shouldStop_ && shouldStop_())
        stopped_ = true;
    return stopped_;
}

bool M3uReader::read(const std::string& path, std::vector<std::string>& entries)
{
    if (openLists_.empty())
        loadPath_ = path;
    if (static_cast<int>(openLists_.size()) >= maxDepth)
        return false;
    // A list past the budget is not unreadable: the load ends, said once by
    // the list that was being read.
    if (!budget_.takeListTry(path.size()))
        return true;
    ListFile file;
    if (!file.open(path) ||
        std::find(openLists_.begin(), openLists_.end(), file.identity()) != openLists_.end())
        return false;
    if (!budget_.takeListRead())
        return true;

    openLists_.push_back(file.identity());
    readOpened(file, path, entries);
    openLists_.pop_back();
    return true;
}

void M3uReader::readOpened(ListFile& file, const std::string& path, std::vector<std::string>& entries)
{
    std::string folder = pathtext::directoryOf(path);
    ListLines lines(file, budget_.bytesLeft());
    std::string line;
    while (!stopRequested()) {
        ListLines::Next next = lines.next(line);
        if (next == ListLines::Next::end)
            return;
        if (next == ListLines::Next::outOfBytes)
            budget_.spend();
        else if (next == ListLines::Next::line)
            addLine(folder, line, entries);
        if (budget_.spent()) {
            reportSpentBudget();
            return;
        }
    }
}

void M3uReader::addLine(const std::string& folder, std::string line, std::vector<std::string>& entries)
{
    removeLineEnds(line);
    // Blank lines and the "#" lines of extended lists name no song. As entries
    // they would be passed over going forward but would catch Previous, which
    // would land on one, fail to open it, and step forward again. A NUL byte
    // ends the name for the file system, so the line would open a file other
    // than the one it spells.
    if (line.empty() || line.front() == '#' || line.find('\0') != std::string::npos)
        return;
    std::string entry;
    if (pathtext::containsNoCase(line, "://")) {
        entry = std::move(line);  // an address stands as it is written
    } else {
        std::string path = pathtext::fromListText(line);
        entry = pathtext::isAbsolute(path) ? path : pathtext::join(folder, path);
    }
    // Joined to a deep folder a line can outgrow any path a file can have.
    if (entry.size() > ListLines::maxLineLength)
        return;

    if (!isListPath(entry)) {
        if (budget_.takeEntry(entry.size()))
            entries.push_back(std::move(entry));
    } else if (!read(entry, entries)) {
        reportUnreadable(entry);
    }
}
