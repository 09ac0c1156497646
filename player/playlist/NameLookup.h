#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class LoadBudget;

// Finds the file a list line names as Windows would: a name that no file has
// as written matches a file or folder whose name differs in letter case only,
// at each step of the path. Folders listed and folders found are remembered
// for the whole load, so the lines of one folder cost one listing; every look
// at the disk is drawn from the load's budget, and once it is spent names
// are no longer looked for.
class NameLookup {
public:
    explicit NameLookup(LoadBudget& budget) : budget_(budget) {}

    // The path of the file that path names, as the disk writes it; nothing
    // when there is none (or the budget is spent).
    std::optional<std::string> find(const std::string& path);

private:
    using Listing = std::vector<std::pair<std::string, std::string>>; // folded name, name

    std::optional<std::string> findFolder(const std::string& written);
    std::optional<std::string> matchIn(const std::string& folder, const std::string& name);
    const Listing* listing(const std::string& folder);
    bool exists(const std::string& path, bool asFolder);

    LoadBudget& budget_;
    std::map<std::string, std::optional<std::string>> folders_; // as written -> as found
    std::map<std::string, std::optional<Listing>> listings_;
    bool spent_ = false;
};
