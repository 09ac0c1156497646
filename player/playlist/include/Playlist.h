#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// How the playlist reports: a list it cannot read, or reads only in part, is
// no failure of the call; the entries it could read are kept, and what went
// wrong is told as it is found, one text for the listener ("Could not load
// playlist: ..."), to the notice its owner gave (the engine shows each in a
// message box). The one status returned is loadList's: whether the list
// could be read. Everything else always succeeds and returns nothing, or
// returns what it found (0 for an empty list).
using ListNotice = std::function<void(const std::string& text)>;

// Asked between the lines of a list: true ends the load at once, with what
// it has read and without a further notice.
using LoadStopCheck = std::function<bool()>;

// True for a path ending in ".m3u" or ".m3u8", in any case: a list, not a
// song. The second kind is UTF-8 by definition.
bool isListPath(const std::string& path);
bool isUtf8ListPath(const std::string& path);

// The ordered list of song paths that the player walks, with one current
// entry. The window thread replaces it while the player thread walks it, so
// every operation is one step under the list's own lock; the lock is never
// held while a list file is read.
class Playlist {
public:
    explicit Playlist(ListNotice notice) : notice_(std::move(notice)) {}

    void clear();
    void append(const std::string& path);
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
    // Reads a path ending in ".m3u" or ".m3u8" (in any case) as a list, telling "Could
    // not load playlist: ..." when it cannot be read; a folder for its songs and
    // lists, sub-folders too, in natural order of their paths; appends any other
    // path.
    // shouldStop ends the reading of a list early, keeping what it has read.
    void addFileOrList(const std::string& path, const LoadStopCheck& shouldStop = {});
    // Appends the entries of an M3U list; 0 when it cannot be read.
    int loadList(const std::string& path);
    // The list of one path, of one M3U list or of one folder, put in place of the old list
    // in one step, so the other thread sees either list whole.
    void replaceWith(const std::string& path);

    std::vector<std::string> entries() const;

private:
    std::vector<std::string> read(const std::string& path, const LoadStopCheck& shouldStop = {});
    void appendAll(std::vector<std::string>&& paths);

    ListNotice notice_;
    mutable std::mutex mutex_;
    std::vector<std::string> entries_;
    std::size_t current_ = 0;
};
