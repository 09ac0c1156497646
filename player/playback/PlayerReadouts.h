#pragma once

#include <string>

// The readouts of the main window as the engine updates them. The player
// thread and the audio callback call these; an implementation must return at
// once (the window shell posts each update to its own thread), because the
// window thread may be waiting for the player thread to stop.
class PlayerReadouts {
public:
    virtual ~PlayerReadouts() = default;

    // The title is the file name of path without its last four characters.
    virtual void setTitle(const std::string& path) = 0;
    // The sample-rate readout, in kHz (44 for 44100 Hz).
    virtual void setSampleRateNumber(int kiloHertz) = 0;
    // The bitrate readout, in kbit/s.
    virtual void setBitrateNumber(int kbps) = 0;
    // The time readout, whole seconds of the audible song.
    virtual void setTime(int seconds) = 0;
    // The seek bar, which reads positionSeconds and songSeconds.
    virtual void repaintSeekBar() = 0;
    // The Pause button's look: whether the player is paused.
    virtual void showPaused(bool paused) = 0;
};
