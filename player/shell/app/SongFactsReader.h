#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "SongFacts.h"

// Reads songs' facts on a thread of its own, never the caller's, and never
// each song twice: the caller says which songs it wants and which of them
// first (those in view), and takes what was found when told. Nothing here
// touches the engine or the toolkit.
class SongFactsReader {
public:
    using Read = std::function<SongFacts(const std::string& path, const FactsStopCheck& stopped)>;
    struct Found {
        std::string path;
        SongFacts facts;
    };

    // ready: told on the reader's thread when facts wait to be taken, once
    // until take is called. read: how a song's facts are read.
    explicit SongFactsReader(std::function<void()> ready, Read read = readSongFacts);
    // Gives up the song being read and ends the thread.
    ~SongFactsReader() { stop(); }
    // The same before the end: nothing more is read (the program is about
    // to exit() from under its threads).
    void stop();
    SongFactsReader(const SongFactsReader&) = delete;
    SongFactsReader& operator=(const SongFactsReader&) = delete;

    // The songs to read, in this order, in place of those still waiting;
    // songs read or being read already are passed over.
    void want(const std::vector<std::string>& paths);
    // These before the others waiting.
    void wantFirst(const std::vector<std::string>& paths);
    // The facts found since the last take, in the order they were read.
    std::vector<Found> take();
    // Whether a song waits or is being read.
    bool busy() const;

private:
    void run();

    std::function<void()> ready_;
    Read read_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::string> waiting_;
    // Every song read or being read.
    std::unordered_set<std::string> taken_;
    std::vector<Found> found_;
    bool readyTold_ = false;
    bool reading_ = false;
    bool stopping_ = false;
    std::thread thread_;
};
