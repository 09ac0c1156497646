#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "M3uReader.h"

class UserMessages;

// The ordered list of song paths that the player walks, with one current
// entry. The window thread replaces it while the player thread walks it, so
// every operation is one step under the list's own lock; the lock is never
// held while a list file is read.
class Playlist {
public:
    explicit Playlist(UserMessages& messages) : messages_(messages) {}

    int clear();
    int append(const std::string& path);
    // Copies the current entry's path; 0 for an empty list.
    int getCurrent(std::string& path) const;
    // Selects the first entry and steps forward index times; stops on the last
    // entry and returns 0 when the list ends first, and for an empty list.
    int moveTo(int index);
    int moveNext();
    int movePrevious();
    int count() const;
    // The index of the current entry (0 for an empty list).
    int currentIndex() const;
    // Reads a path ending in ".m3u" or ".m3u8" (in any case) as a list, showing "Could
    // not load playlist: ..." when it cannot be read; appends any other path.
    // shouldStop ends the reading of a list early, keeping what it has read.
    int addFileOrList(const std::string& path, const M3uReader::StopCheck& shouldStop = {});
    // Appends the entries of an M3U list; 0 when it cannot be read.
    int loadList(const std::string& path);
    // The list of one path or of one M3U list, put in place of the old list
    // in one step, so the other thread sees either list whole.
    void replaceWith(const std::string& path);

    std::vector<std::string> entries() const;

private:
    std::vector<std::string> read(const std::string& path, const M3uReader::StopCheck& shouldStop = {});
    void appendAll(std::vector<std::string>&& paths);

    UserMessages& messages_;
    mutable std::mutex mutex_;
    std::vector<std::string> entries_;
    std::size_t current_ = 0;
};
