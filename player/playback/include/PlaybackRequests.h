#pragma once

#include <string>
#include <vector>

#include "Audible.h"
#include "ListSnapshot.h"
#include "Mp3Decoder.h"

// Where a player thread starts in its list: its first entry, or the entry
// that Next or Prev chose while nothing played (the first when none was).
enum class StartAt { firstEntry, chosenEntry };

// What follows the last entry, or a song, by itself: the list from its
// start again, the song heard again, or nothing (the player stops once the
// last entry's audio has been heard). Next and Prev wrap at the ends in
// every mode: they are the listener's own choice of an entry.
enum class Repeat { list, song, off };

// What the window shell asks of the engine and the little it reads back:
// the seam between the two. Player implements it; the shell's tests record
// what is asked through it.
class PlaybackRequests {
public:
    virtual ~PlaybackRequests() = default;

    // Starts a player thread on path, after stopping a running one.
    virtual void startPlayerThread(const std::string& path, StartAt at = StartAt::firstEntry) = 0;
    // The same for the songs of several paths, each read as one path is, in
    // their order. The player thread reads them: edits made before it has
    // (before the first showListChanged) go to the list it replaces.
    virtual void startPlayerThread(const std::vector<std::string>& paths, StartAt at = StartAt::firstEntry) = 0;
    // Starts a player thread on the list as it stands (edits made while
    // nothing played kept), after stopping a running one; false, starting
    // nothing, when the list is empty.
    virtual bool startOnList(StartAt at) = 0;
    // Asks a running player thread to end and waits until it has; returns at
    // once when none runs.
    virtual void stopPlayback() = 0;
    virtual bool isRunning() const = 0;

    // The entry after (before) the one heard, wrapping at the ends; while
    // nothing plays, the neighbour of the entry shown is shown, for a Play
    // at the chosen entry.
    virtual void requestNext() = 0;
    virtual void requestPrevious() = 0;
    // Moves within the song heard to fraction (0, its very start, to 1) of
    // its length.
    virtual void requestSeek(float fraction) = 0;
    // Puts the list of path (a song or an M3U list) in place of the playlist
    // and lets a running player thread go on with its first entry.
    virtual void takeOverFile(const std::string& path) = 0;
    virtual void takeOverFiles(const std::vector<std::string>& paths) = 0;

    // The songs of paths (each read as one path is) join the end of the
    // list, or go before the entry at index; what plays goes on.
    virtual void addPaths(const std::vector<std::string>& paths) = 0;
    virtual void insertPaths(int index, const std::vector<std::string>& paths) = 0;
    // Plays the entry at index from its start; while nothing plays, starts
    // a player thread on the list as it stands.
    virtual void playEntry(int index) = 0;
    // Removes the entries at indices. Removing the entry heard plays the
    // one after it, or stops the player when the list is left empty.
    virtual void removeEntries(const std::vector<int>& indices) = 0;
    // Moves the entries at indices, in their order, before the entry at
    // index to (to the end for an index past the last).
    virtual void moveEntries(const std::vector<int>& indices, int to) = 0;
    virtual void setRepeat(Repeat repeat) = 0;
    virtual Repeat repeat() const = 0;
    // Shuffle plays every entry once a round, in a random order that Next
    // and Prev follow; off, the list order goes on from the entry heard.
    virtual void setShuffle(bool shuffle) = 0;
    virtual bool shuffle() const = 0;
    // The list as it stands and the entry heard in it. Any thread; told
    // through PlayerReadouts::showListChanged when it changes, and through
    // showAudible when another entry is heard.
    virtual ListSnapshot listSnapshot() const = 0;

    // While paused nothing plays and the time stands still. Seek, next,
    // previous, a taken-over list and stop end the pause, and a new player
    // thread starts playing.
    virtual void pause() = 0;
    virtual void resume() = 0;
    virtual bool isPaused() const = 0;
    // From a seek asked until the song is heard from its new place.
    virtual bool isSeeking() const = 0;

    // The listener's equaliser: its switch, curve and preamp, heard from the
    // place heard on. Requests made in quick succession (a slider moving)
    // may be taken together: the newest counts. Until the first one, each
    // player thread starts with the saved setting. equaliser() is the
    // setting asked last, or the saved one. Any thread.
    virtual void setEqualiser(const mp3::EqualiserSetting& setting) = 0;
    virtual mp3::EqualiserSetting equaliser() const = 0;

    // What is heard now. Any thread.
    virtual Audible audible() const = 0;
};
