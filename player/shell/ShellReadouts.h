#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>
#include <string>

#include "PlayerReadouts.h"

class MainWindow;

// The engine's readouts, drawn by the main window on the window thread. The
// player thread and the audio callback only store the newest values and, when
// none is on its way yet, post one request to draw: updates that come faster
// than the window draws are merged, never queued up. Nothing here waits.
class ShellReadouts : public QObject, public PlayerReadouts {
public:
    ShellReadouts() = default;

    // The window the readouts go to; none while there is no main window.
    void setWindow(MainWindow* window);

    void setTitle(const std::string& path) override;
    void setSampleRateNumber(int kiloHertz) override;
    void setBitrateNumber(int kbps) override;
    void setTime(int seconds) override;
    void repaintSeekBar() override;
    void showPaused(bool paused) override;

    // How many draw requests were posted: for the tests of the merging.
    int postedDraws() const { return postedDraws_.load(); }

private:
    void schedule();
    void draw();
    bool onWindowThread() const;

    QPointer<MainWindow> window_;
    std::atomic<bool> drawPosted_{false};
    std::atomic<int> postedDraws_{0};
    std::atomic<int> sampleRate_{-1};
    std::atomic<int> bitrate_{-1};
    std::atomic<int> seconds_{-1};
    std::atomic<bool> seekBarDue_{false};
    // -1: no change to show; else 0 or 1.
    std::atomic<int> paused_{-1};
};
