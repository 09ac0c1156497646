#pragma once

#include <string>
#include <vector>

#include "PlaybackRequests.h"

// What the shell asked of the engine, in order, each request passed on to
// the real engine so that the rest of the path still runs. Window thread
// only, as the shell asks.
class RecordingRequests : public PlaybackRequests {
public:
    enum class Kind { start, stop, next, previous, seek, takeOver, pause, resume };
    struct Request {
        Kind kind;
        std::string path;
        StartAt at = StartAt::firstEntry;
        float fraction = 0.0f;
    };

    explicit RecordingRequests(PlaybackRequests& engine) : engine_(engine) {}

    void startPlayerThread(const std::string& path, StartAt at) override
    {
        asked_.push_back({Kind::start, path, at});
        engine_.startPlayerThread(path, at);
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
        asked_.push_back({Kind::seek, std::string(), StartAt::firstEntry, fraction});
        engine_.requestSeek(fraction);
    }
    void takeOverFile(const std::string& path) override
    {
        asked_.push_back({Kind::takeOver, path});
        engine_.takeOverFile(path);
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
    template <typename Call>
    void pass(Kind kind, Call call)
    {
        asked_.push_back({kind, std::string()});
        call();
    }

    PlaybackRequests& engine_;
    std::vector<Request> asked_;
};
