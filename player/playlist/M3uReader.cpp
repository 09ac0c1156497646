#include "M3uReader.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "PathText.h"
#include "UserMessages.h"

namespace {

// Two names of one list (with "..", links, or a different spelling of the
// folder) must be seen as the same list, or a list naming itself would not end.
std::string identityOf(const std::string& path)
{
    std::error_code error;
    auto canonical = std::filesystem::weakly_canonical(std::filesystem::path(path), error);
    return error ? path : canonical.string();
}

void removeLineEnds(std::string& text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
}

} // namespace

bool isListPath(const std::string& path) { return pathtext::endsWithNoCase(path, ".m3u"); }

void M3uReader::reportUnreadable(UserMessages& messages, const std::string& path)
{
    messages.post("Application Error", "Could not load playlist: " + path, MessageIcon::none);
}

bool M3uReader::read(const std::string& path, std::vector<std::string>& entries)
{
    std::string identity = identityOf(path);
    if (static_cast<int>(openLists_.size()) >= maxDepth ||
        std::find(openLists_.begin(), openLists_.end(), identity) != openLists_.end())
        return false;

    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;

    openLists_.push_back(identity);
    std::string folder = pathtext::directoryOf(path);
    std::string line;
    while (std::getline(file, line))
        addLine(folder, std::move(line), entries);
    openLists_.pop_back();
    return true;
}

void M3uReader::addLine(const std::string& folder, std::string line, std::vector<std::string>& entries)
{
    removeLineEnds(line);
    // Blank lines and the "#" lines of extended lists name no song. As entries
    // they would be passed over going forward but would catch Previous, which
    // would land on one, fail to open it, and step forward again.
    if (line.empty() || line.front() == '#')
        return;
    std::string entry;
    if (pathtext::containsNoCase(line, "://")) {
        entry = std::move(line);  // an address stands as it is written
    } else {
        std::string path = pathtext::fromListText(line);
        entry = pathtext::isAbsolute(path) ? path : pathtext::join(folder, path);
    }

    if (!isListPath(entry)) {
        entries.push_back(std::move(entry));
    } else if (!read(entry, entries)) {
        reportUnreadable(messages_, entry);
    }
}
