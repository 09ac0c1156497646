#include "NameLookup.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "LoadBudget.h"
#include "PathText.h"
#include "TextEncoding.h"

namespace {

// The folder a path lies in: "/" for "/a", empty (the current folder) for a
// name alone.
std::string parentOf(const std::string& path)
{
    const auto at = path.rfind(pathtext::separator);
    if (at == std::string::npos) return std::string();
    return at == 0 ? std::string(1, pathtext::separator) : path.substr(0, at);
}

std::string nameOf(const std::string& path)
{
    const auto at = path.rfind(pathtext::separator);
    return at == std::string::npos ? path : path.substr(at + 1);
}

bool isRoot(const std::string& path)
{
    return path.size() == 1 && path[0] == pathtext::separator;
}

} // namespace

std::optional<std::string> NameLookup::find(const std::string& path)
{
    if (exists(path, false)) return path;
#ifdef _WIN32
    // The file system itself matches names without regard to case.
    return std::nullopt;
#else
    const std::optional<std::string> folder = findFolder(parentOf(path));
    if (!folder) return std::nullopt;
    return matchIn(*folder, nameOf(path));
#endif
}

std::optional<std::string> NameLookup::findFolder(const std::string& written)
{
    // Up from the folder to the nearest one that is known or exists as
    // written, then down again, matching each step.
    std::vector<std::string> steps;
    std::string at = written;
    std::optional<std::string> found;
    for (;;) {
        if (at.empty() || isRoot(at)) {
            found = at;
            break;
        }
        if (auto known = folders_.find(at); known != folders_.end()) {
            found = known->second;
            break;
        }
        if (exists(at, true)) {
            found = at;
            folders_[at] = at;
            break;
        }
        if (spent_) return std::nullopt;
        steps.push_back(nameOf(at));
        at = parentOf(at);
    }
    for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
        at = pathtext::join(at, *step);
        if (found) found = matchIn(*found, *step);
        if (spent_) return std::nullopt;
        folders_[at] = found;
    }
    return found;
}

std::optional<std::string> NameLookup::matchIn(const std::string& folder, const std::string& name)
{
    if (name.empty() || name == "." || name == "..") return pathtext::join(folder, name);
    const Listing* names = listing(folder);
    if (names == nullptr) return std::nullopt;
    // The name as written first, then the first (by its bytes) that differs
    // in case only.
    const std::string folded = textencoding::foldCase(name);
    const std::string* match = nullptr;
    for (const auto& [foldedName, actual] : *names) {
        if (actual == name) return pathtext::join(folder, actual);
        if (match == nullptr && foldedName == folded) match = &actual;
    }
    if (match == nullptr) return std::nullopt;
    return pathtext::join(folder, *match);
}

const NameLookup::Listing* NameLookup::listing(const std::string& folder)
{
    if (auto known = listings_.find(folder); known != listings_.end()) return known->second ? &*known->second : nullptr;
    if (spent_ || !budget_.takeNameLook(folder.size())) {
        spent_ = true;
        return nullptr;
    }
    std::optional<Listing> names;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder.empty() ? std::string(".") : folder, error);
    if (!error) {
        names.emplace();
        for (const auto end = std::filesystem::directory_iterator(); entries != end; entries.increment(error)) {
            if (error) break;
            if (!budget_.takeFolderName()) {
                spent_ = true;
                return nullptr;
            }
            std::string name = entries->path().filename().string();
            names->emplace_back(textencoding::foldCase(name), std::move(name));
        }
        std::sort(names->begin(), names->end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    }
    auto& stored = listings_[folder] = std::move(names);
    return stored ? &*stored : nullptr;
}

bool NameLookup::exists(const std::string& path, bool asFolder)
{
    if (spent_ || !budget_.takeNameLook(path.size())) {
        spent_ = true;
        return false;
    }
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    return !error && (asFolder ? std::filesystem::is_directory(status) : std::filesystem::exists(status));
}
