#pragma once

#include <QTimer>
#include <functional>
#include <optional>

// The listener's volume saved once it rests. A wheel spun or a volume key
// held changes it many times a second, and every save rewrites and syncs the
// settings file on the window thread; so a change is saved restMilliseconds
// after the last one, and whatever waits is saved at once at the end (Quit,
// a signal to end, the display gone) or when this goes away (the window
// closed by the platform).
class VolumeSave {
public:
    // Notches of a spun wheel and a held key's repeats come 10 to 50 ms
    // apart: a pause ten times as long ends the gesture, and is still short
    // enough that only a crash in that moment loses the change.
    static constexpr int restMilliseconds = 500;

    explicit VolumeSave(std::function<void(int volume)> save);
    VolumeSave(const VolumeSave&) = delete;
    VolumeSave& operator=(const VolumeSave&) = delete;
    ~VolumeSave() { saveNow(); }

    // Saves volume once no other change follows within the rest.
    void changed(int volume);
    // Saves a change that waits, now.
    void saveNow();
    // A change waits for its rest, to be saved.
    bool waiting() const { return waiting_.has_value(); }

private:
    std::function<void(int volume)> save_;
    QTimer rest_;
    std::optional<int> waiting_;
};
