#include "FolderSongs.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "LoadBudget.h"
#include "M3uReader.h"
#include "NaturalOrder.h"
#include "PathText.h"

namespace fs = std::filesystem;

namespace {

// Paths travel as UTF-8 text everywhere else in the player; on Linux a
// path's bytes are its text, whatever they spell.
std::string textOf(const fs::path& path)
{
#ifdef _WIN32
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
#else
    return path.native();
#endif
}

fs::path pathOf(const std::string& text)
{
#ifdef _WIN32
    return fs::path(std::u8string(text.begin(), text.end()));
#else
    return fs::path(text);
#endif
}

bool isSongName(const std::string& name)
{
    return pathtext::endsWithNoCase(name, ".mp3");
}

class FolderWalk {
public:
    FolderWalk(LoadBudget& budget, const std::function<bool()>& shouldStop) : budget_(budget), shouldStop_(shouldStop)
    {
    }

    void walk(const std::string& folder, int depth)
    {
        if (depth > foldersongs::maxDepth || stopped()) return;
        std::error_code error;
        const fs::path real = fs::canonical(pathOf(folder), error);
        if (error || !walked_.insert(textOf(real)).second) return;
        std::vector<Item> items = itemsOf(folder);
        std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return naturalLess(a.name, b.name); });
        for (const Item& item : items) {
            if (stopped()) return;
            std::string path = pathtext::join(folder, item.name);
            if (item.isFolder)
                walk(path, depth + 1);
            else
                found_.push_back(std::move(path));
        }
    }

    std::vector<std::string> found() { return std::move(found_); }

private:
    struct Item {
        std::string name;
        bool isFolder;
    };

    bool stopped() const { return budget_.spent() || (shouldStop_ && shouldStop_()); }

    std::vector<Item> itemsOf(const std::string& folder)
    {
        std::vector<Item> items;
        std::error_code error;
        fs::directory_iterator entry(pathOf(folder), error);
        for (const fs::directory_iterator end; !error && entry != end; entry.increment(error)) {
            if (!budget_.takeFolderName()) budget_.spend();
            if (stopped()) break;
            std::string name = textOf(entry->path().filename());
            if (name.empty() || name.front() == '.') continue;
            // The status of what a link leads to, read without opening it.
            std::error_code statusError;
            const fs::file_status status = entry->status(statusError);
            if (statusError) continue;
            if (fs::is_directory(status))
                items.push_back({std::move(name), true});
            else if (fs::is_regular_file(status) && (isSongName(name) || isListPath(name)))
                items.push_back({std::move(name), false});
        }
        return items;
    }

    LoadBudget& budget_;
    const std::function<bool()>& shouldStop_;
    std::set<std::string> walked_;
    std::vector<std::string> found_;
};

} // namespace

namespace foldersongs {

bool isFolder(const std::string& path)
{
    std::error_code error;
    return fs::is_directory(pathOf(path), error);
}

std::vector<std::string> songsAndListsIn(const std::string& folder, LoadBudget& budget,
                                         const std::function<bool()>& shouldStop)
{
    FolderWalk walk(budget, shouldStop);
    walk.walk(folder, 0);
    return walk.found();
}

} // namespace foldersongs
