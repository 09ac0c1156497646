#pragma once

#include <cstddef>

// What one load of a list, with all the lists it names, may take. The bounds
// are far above real collections, so only a hostile or broken set of lists
// (lists naming each other many times, endless lines) meets one; the load
// then ends with what it has read so far.
class LoadBudget {
public:
    static constexpr std::size_t maxEntries = 100000;
    // What the entries may hold in all: 100,000 entries of 670 bytes.
    static constexpr std::size_t maxEntryBytes = 64u << 20;
    static constexpr std::size_t maxListsRead = 10000;
    // Lists named, whether they open or not: each costs a look at the disk,
    // the longer the name the longer the look (a name of 2000 "./" steps
    // takes 100 microseconds), so their names are counted too.
    static constexpr std::size_t maxListsTried = 200000;
    static constexpr std::size_t maxListNameBytes = 16u << 20;
    static constexpr std::size_t maxBytesRead = 64u << 20;
    // Looking for the file a line names when no file has the name as
    // written: each look at the disk (its path counted, as for lists) and
    // each name of a folder listed. Past these, names stay as written and
    // the load goes on; 400,000 looks serve a full list of names in the
    // wrong case.
    static constexpr std::size_t maxNameLooks = 400000;
    static constexpr std::size_t maxNameLookBytes = 64u << 20;
    static constexpr std::size_t maxFolderNamesListed = 500000;

    bool spent() const { return spent_; }
    void spend() { spent_ = true; }

    // Each takes its share of the budget; false, spending the whole budget,
    // when that would pass a bound.
    bool takeEntry(std::size_t length)
    {
        if (entries_ >= maxEntries || length > maxEntryBytes - entryBytes_) return refuse();
        ++entries_;
        entryBytes_ += length;
        return !spent_;
    }
    bool takeListTry(std::size_t nameLength)
    {
        if (nameLength > maxListNameBytes - listNameBytes_) return refuse();
        listNameBytes_ += nameLength;
        return takeOne(listsTried_, maxListsTried);
    }
    bool takeListRead() { return takeOne(listsRead_, maxListsRead); }
    bool takeNameLook(std::size_t pathLength)
    {
        if (nameLooks_ >= maxNameLooks || pathLength > maxNameLookBytes - nameLookBytes_) return false;
        ++nameLooks_;
        nameLookBytes_ += pathLength;
        return true;
    }
    bool takeFolderName()
    {
        if (folderNames_ >= maxFolderNamesListed) return false;
        ++folderNames_;
        return true;
    }
    // Shared by the line readers of the load's lists.
    std::size_t& bytesLeft() { return bytesLeft_; }

private:
    bool refuse()
    {
        spent_ = true;
        return false;
    }
    bool takeOne(std::size_t& used, std::size_t bound)
    {
        if (used >= bound) return refuse();
        ++used;
        return !spent_;
    }

    std::size_t entries_ = 0;
    std::size_t entryBytes_ = 0;
    std::size_t listsRead_ = 0;
    std::size_t listsTried_ = 0;
    std::size_t listNameBytes_ = 0;
    std::size_t nameLooks_ = 0;
    std::size_t nameLookBytes_ = 0;
    std::size_t folderNames_ = 0;
    std::size_t bytesLeft_ = maxBytesRead;
    bool spent_ = false;
};
