#pragma once

#include <QTimer>
#include <functional>
#include <optional>
#include <utility>

// A setting the listener changes many times a second (a wheel spun, a
// volume key held, a slider dragged) saved once it rests. Every save
// rewrites and syncs the settings file on the window thread; so a change is
// saved restMilliseconds after the last one, only the newest value counting,
// and whatever waits is saved at once at the end (Quit, a signal to end, the
// display gone) or when this goes away (the window closed by the platform).
template <typename Value>
class SaveAtRest {
public:
    // Notches of a spun wheel, a held key's repeats and a dragged slider's
    // steps come 10 to 50 ms apart: a pause ten times as long ends the
    // gesture, and is still short enough that only a crash in that moment
    // loses the change.
    static constexpr int restMilliseconds = 500;

    explicit SaveAtRest(std::function<void(const Value& value)> save) : save_(std::move(save))
    {
        rest_.setSingleShot(true);
        rest_.setInterval(restMilliseconds);
        QObject::connect(&rest_, &QTimer::timeout, [this] { saveNow(); });
    }
    SaveAtRest(const SaveAtRest&) = delete;
    SaveAtRest& operator=(const SaveAtRest&) = delete;
    ~SaveAtRest() { saveNow(); }

    // Saves value once no other change follows within the rest.
    void changed(const Value& value)
    {
        waiting_ = value;
        rest_.start();
    }
    // Saves a change that waits, now.
    void saveNow()
    {
        rest_.stop();
        if (!waiting_) return;
        const Value value = std::move(*waiting_);
        waiting_.reset();
        save_(value);
    }
    // A change waits for its rest, to be saved.
    bool waiting() const { return waiting_.has_value(); }

private:
    std::function<void(const Value&)> save_;
    QTimer rest_;
    std::optional<Value> waiting_;
};
