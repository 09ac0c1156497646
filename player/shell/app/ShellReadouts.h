#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>
#include <mutex>

#include "PlayerReadouts.h"

class MainWindow;

// The engine's readouts, drawn by the main window on the window thread. The
// player thread only stores the newest values and, when none is on its way
// yet, posts one request to draw: updates that come faster than the window
// draws are merged, never queued up. Nothing here waits but for the moment
// the newest record is copied.
class ShellReadouts : public QObject, public PlayerReadouts {
public:
    ShellReadouts() = default;

    // The window the readouts go to; none while there is no main window.
    void setWindow(MainWindow* window);

    void showAudible(const Audible& audible) override;
    void setSampleRateNumber(int kiloHertz) override;
    void setBitrateNumber(int kbps) override;
    void showPaused(bool paused) override;
    // Told from any thread, even the window's own in the midst of an edit:
    // the window looks at the list from its message loop.
    void showListChanged(std::uint64_t version) override;

    // How many draw requests were posted: for the tests of the merging.
    int postedDraws() const { return postedDraws_.load(); }

private:
    void schedule();
    void draw();
    void drawAudible();
    bool onWindowThread() const;

    QPointer<MainWindow> window_;
    std::atomic<bool> drawPosted_{false};
    std::atomic<int> postedDraws_{0};
    std::atomic<int> sampleRate_{-1};
    std::atomic<int> bitrate_{-1};
    std::mutex audibleMutex_;
    Audible audible_;
    bool audibleDue_ = false;
    // -1: no change to show; else 0 or 1.
    std::atomic<int> paused_{-1};
    std::atomic<bool> listChanged_{false};
};
