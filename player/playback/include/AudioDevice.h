#pragma once

#include <cstdint>
#include <string>

// Told once for every buffer that the device has finished with, in queue
// order: played, or dropped by a reset (played false). Called on the
// device's own thread, or on the thread that resets the device: it must not
// wait, lock or allocate.
class AudioDeviceListener {
public:
    virtual ~AudioDeviceListener() = default;
    virtual void onBufferDone(bool played) = 0;
};

struct AudioFormat {
    int sampleRate = 44100;
    int channelCount = 2;
};

// An output device that plays queued 16-bit PCM buffers in order. It holds at
// most maxQueued buffers at a time; a buffer's bytes must stay untouched until
// the device reports it done.
class AudioDevice {
public:
    static constexpr int maxQueued = 64;

    virtual ~AudioDevice() = default;

    // Number of output devices; 0 means there is none.
    virtual int outputDeviceCount() = 0;
    // Opens the default output for 16-bit signed little-endian PCM, playing at
    // once. On failure returns false with the back end's text of the error
    // (empty when it has none).
    virtual bool open(const AudioFormat& format, AudioDeviceListener& listener, std::string& errorText) = 0;
    virtual void write(const std::uint8_t* data, int length) = 0;
    // Stops at once and reports every queued buffer done before returning.
    virtual void reset() = 0;
    // Takes back every queued buffer but the oldest, which plays on to its
    // end: the audio after it is to be made anew. Returns how many; they are
    // not reported done, their bytes are free at once, and the next write
    // follows the one kept.
    virtual int dropAfterHead() = 0;
    // While paused nothing plays and no buffer completes.
    virtual void pause() = 0;
    virtual void resume() = 0;
    // Scales every sample handed to the output from now on (0 to 1; 1 plays
    // them as queued). Kept across open and close; takes no lock.
    virtual void setGain(float gain) = 0;
    // Closes the device; every buffer must have been reported done (reset
    // first). On failure returns false with the error's text.
    virtual bool close(std::string& errorText) = 0;
};
