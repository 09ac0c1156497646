#pragma once

#include <string>
#include <utility>
#include <vector>

#include "PlaybackRequests.h"

// What the shell asked of the engine, in order, each request passed on to
// the real engine so that the rest of the path still runs. Window thread
// only, as the shell asks.
class RecordingRequests : public PlaybackRequests {
public:
    enum class Kind {
        start,
        startOnList,
        stop,
        next,
        previous,
        seek,
        takeOver,
        pause,
        resume,
        add,
        insert,
        playEntry,
        remove,
        move,
        repeat,
        shuffle,
        equaliser
    };
    struct Request {
        Kind kind = Kind::start;
        std::string path = {};
        StartAt at = StartAt::firstEntry;
        float fraction = 0.0f;
        // The paths of a start, take-over, add or insert of several.
        std::vector<std::string> paths = {};
        // The entries of a remove or move; the index of an insert, a play or
        // a move's place; the mode of a repeat or shuffle.
        std::vector<int> indices = {};
        int index = 0;
        Repeat repeat = Repeat::list;
        bool shuffle = false;
        mp3::EqualiserSetting equaliser = mp3::builtInEqualiser();
    };

    explicit RecordingRequests(PlaybackRequests& engine) : engine_(engine) {}

    void startPlayerThread(const std::string& path, StartAt at) override
    {
        record({.kind = Kind::start, .path = path, .at = at});
        engine_.startPlayerThread(path, at);
    }
    void startPlayerThread(const std::vector<std::string>& paths, StartAt at) override
    {
        record({.kind = Kind::start, .at = at, .paths = paths});
        engine_.startPlayerThread(paths, at);
    }
    bool startOnList(StartAt at) override
    {
        record({.kind = Kind::startOnList, .at = at});
        return engine_.startOnList(at);
    }
    void stopPlayback() override
    {
        pass(Kind::stop, [&] { engine_.stopPlayback(); });
    }
    void requestNext() override
    {
        pass(Kind::next, [&] { engine_.requestNext(); });
    }
    void requestPrevious() override
    {
        pass(Kind::previous, [&] { engine_.requestPrevious(); });
    }
    void requestSeek(float fraction) override
    {
        record({.kind = Kind::seek, .fraction = fraction});
        engine_.requestSeek(fraction);
    }
    void takeOverFile(const std::string& path) override
    {
        record({.kind = Kind::takeOver, .path = path});
        engine_.takeOverFile(path);
    }
    void takeOverFiles(const std::vector<std::string>& paths) override
    {
        record({.kind = Kind::takeOver, .paths = paths});
        engine_.takeOverFiles(paths);
    }
    void addPaths(const std::vector<std::string>& paths) override
    {
        record({.kind = Kind::add, .paths = paths});
        engine_.addPaths(paths);
    }
    void insertPaths(int index, const std::vector<std::string>& paths) override
    {
        record({.kind = Kind::insert, .paths = paths, .index = index});
        engine_.insertPaths(index, paths);
    }
    void playEntry(int index) override
    {
        record({.kind = Kind::playEntry, .index = index});
        engine_.playEntry(index);
    }
    void removeEntries(const std::vector<int>& indices) override
    {
        record({.kind = Kind::remove, .indices = indices});
        engine_.removeEntries(indices);
    }
    void moveEntries(const std::vector<int>& indices, int to) override
    {
        record({.kind = Kind::move, .indices = indices, .index = to});
        engine_.moveEntries(indices, to);
    }
    void setRepeat(Repeat repeat) override
    {
        record({.kind = Kind::repeat, .repeat = repeat});
        engine_.setRepeat(repeat);
    }
    void setShuffle(bool shuffle) override
    {
        record({.kind = Kind::shuffle, .shuffle = shuffle});
        engine_.setShuffle(shuffle);
    }
    void setEqualiser(const mp3::EqualiserSetting& setting) override
    {
        record({.kind = Kind::equaliser, .equaliser = setting});
        engine_.setEqualiser(setting);
    }
    void pause() override
    {
        pass(Kind::pause, [&] { engine_.pause(); });
    }
    void resume() override
    {
        pass(Kind::resume, [&] { engine_.resume(); });
    }

    // What the shell reads is the engine's.
    bool isRunning() const override { return engine_.isRunning(); }
    bool isPaused() const override { return engine_.isPaused(); }
    bool isSeeking() const override { return engine_.isSeeking(); }
    Audible audible() const override { return engine_.audible(); }
    Repeat repeat() const override { return engine_.repeat(); }
    bool shuffle() const override { return engine_.shuffle(); }
    ListSnapshot listSnapshot() const override { return engine_.listSnapshot(); }
    mp3::EqualiserSetting equaliser() const override { return engine_.equaliser(); }

    const std::vector<Request>& asked() const { return asked_; }
    std::vector<Kind> kindsAsked() const
    {
        std::vector<Kind> kinds;
        for (const Request& request : asked_) kinds.push_back(request.kind);
        return kinds;
    }
    // The fractions of the seeks asked.
    std::vector<float> seeksAsked() const
    {
        std::vector<float> fractions;
        for (const Request& request : asked_)
            if (request.kind == Kind::seek) fractions.push_back(request.fraction);
        return fractions;
    }

private:
    void record(Request request) { asked_.push_back(std::move(request)); }

    template <typename Call>
    void pass(Kind kind, Call call)
    {
        record({.kind = kind});
        call();
    }

    PlaybackRequests& engine_;
    std::vector<Request> asked_;
};
