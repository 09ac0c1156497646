#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ListSnapshot.h"

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
// entry. The window thread edits it while the player thread walks it, so
// every operation is one step under the list's own lock; the lock is never
// held while a list file is read. Each entry has an id that stays with it
// through moves and removals and is never given again, so the engine names
// the entry heard by it. The walk follows the list's order, or a shuffled
// round while shuffle is on.
class Playlist {
public:
    explicit Playlist(ListNotice notice);
    ~Playlist();

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
    // The lists of several paths (each a song, an M3U list or a folder), put in place
    // of the old list in one step, so the other thread sees either list
    // whole; the current entry is the last one to be walked, so that the
    // step after it is the first.
    void replaceWithAll(const std::vector<std::string>& paths);

    // The songs of paths (each read as addFileOrList reads it), put before
    // the entry at index (at the end for an index past it), in one step.
    // Added during a shuffled round, they go into the rest of that round.
    void insertAll(int index, const std::vector<std::string>& paths, const LoadStopCheck& shouldStop = {});
    // Removes the entries at indices (those out of range are passed over).
    // Tells whether the entry heardId went with them and which entry then
    // follows it as the step forward would (wrap: past the end to the
    // start); -1 when none does.
    struct Removal {
        bool heardRemoved = false;
        int followerId = -1;
    };
    Removal remove(const std::vector<int>& indices, int heardId, bool wrap);
    // Moves the entries at indices, in their order, before the entry at
    // index to of the list as it stands (to the end for an index past it).
    void move(const std::vector<int>& indices, int to);

    // The current entry's id; -1 for an empty list.
    int currentId() const;
    // The id of the entry at index; -1 when there is none.
    int idAt(int index) const;
    // Makes the entry id current; false, changing nothing, when none has it.
    bool moveToId(int id);
    // The entry after (forward) or before id in the walk becomes current;
    // at an end of the walk, with wrap the other end (a new shuffled round
    // after the last), else nothing changes and it returns false. From an id
    // no longer in the list it steps from the current entry.
    bool step(int fromId, bool forward, bool wrap);
    // The id the forward step from id would reach, changing nothing; -1 at
    // the end without wrap (a new round may begin anywhere: its first is
    // not known, so any entry counts as the one after, -2).
    static constexpr int anyEntry = -2;
    int idAfter(int id, bool wrap) const;
    // Shuffle on deals a round that begins with the entry firstId (the
    // current one when it is not in the list); off walks on in list order.
    void setShuffled(bool shuffled, int firstId = -1);
    bool shuffled() const;

    // The paths, the index of the entry heardId (-1 when gone) and the
    // version. The version changes with every change of the entries.
    ListSnapshot snapshot(int heardId) const;
    std::uint64_t version() const;

    std::vector<std::string> entries() const;

private:
    struct Entry {
        int id;
        std::string path;
    };
    struct Order;

    std::vector<std::string> read(const std::string& path, const LoadStopCheck& shouldStop = {});
    std::vector<std::string> readAll(const std::vector<std::string>& paths, const LoadStopCheck& shouldStop);
    void appendAll(std::vector<std::string>&& paths);
    // Under the lock.
    void insertLocked(std::size_t index, std::vector<std::string>&& paths);
    int indexOfLocked(int id) const;
    int idAfterLocked(int id, bool wrap) const;
    std::vector<int> idsLocked() const;
    void changedLocked() { ++version_; }

    ListNotice notice_;
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    std::size_t current_ = 0;
    int nextId_ = 0;
    std::uint64_t version_ = 0;
    std::unique_ptr<Order> order_;
};
