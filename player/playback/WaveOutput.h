#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "AudioDevice.h"
#include "Mp3Decoder.h"
#include "PlayerState.h"
#include "WakeSignal.h"

class Playlist;
class PlayerReadouts;
class UserMessages;

// Sends the decoder's PCM to the audio device through a ring of 64 blocks of
// 32768 bytes, so decoding runs up to about six seconds ahead of what is
// heard. The player thread opens, writes and closes; the device's own thread
// reports each finished block, which advances the audible position.
class WaveOutput : public mp3::PcmSink, private AudioDeviceListener {
public:
    static constexpr int bufferCount = AudioDevice::maxQueued;
    static constexpr int bufferBytes = 0x8000;

    WaveOutput(AudioDevice& device, PlayerControl& control, SongInfo& song, Playlist& playlist,
               PlayerReadouts& readouts, UserMessages& messages);
    WaveOutput(const WaveOutput&) = delete;
    WaveOutput& operator=(const WaveOutput&) = delete;

    // Opens the device for the format unless it is open already or the format
    // is not set yet (0); -1 after telling the user why it cannot be opened.
    int openDevice(const DeviceFormat& format);

    // Queues one block, first resetting the device when a reset is pending.
    // Waits while every block is queued; a request (keepDecoding cleared)
    // ends the wait and the block is dropped, since every request discards
    // the queued audio anyway.
    void writeBuffer(const std::uint8_t* data, int size) override;

    // Drops what is queued, waits until every block is back, and closes.
    int closeDevice();

    // Waits until every queued block has played: false when a request
    // (keepDecoding cleared) cut the wait short, or when a pending reset is
    // to drop the queued audio anyway.
    bool playQueuedToEnd();

    // Wakes a writer that waits for a free block, so it sees a request.
    void wakeWriter() { doneEvent_.signal(); }

    // Pauses or resumes the device, now if it is open, else when it opens.
    // Safe from any thread.
    void setPaused(bool paused);
    bool paused() const { return paused_.load(); }
    // Ends a pause for a request that drops the queued audio: the device
    // plays again once the writer has reset it, so nothing of the dropped
    // audio is heard. Safe from any thread.
    void endPauseAtReset();

    // A song ended by itself and the next one queues behind it: its title
    // and length take over when it becomes audible.
    void followAudibleSong() { titleBehind_.store(true); }

    bool isOpen() const { return open_.load(); }
    int freeBuffers() const { return freeBuffers_.load(); }
    int nextBuffer() const { return nextBuffer_; }

private:
    void onBufferDone() override;
    void resetDevice();
    bool waitForFreeBuffer();
    void switchToAudibleSong();
    void showPosition(int seconds);
    void resumeAfterReset();
    std::uint8_t* block(int index) { return blocks_.get() + static_cast<std::size_t>(index) * bufferBytes; }

    AudioDevice& device_;
    PlayerControl& control_;
    SongInfo& song_;
    Playlist& playlist_;
    PlayerReadouts& readouts_;
    UserMessages& messages_;

    // Allocated once, so opening never fails for want of memory.
    std::unique_ptr<std::uint8_t[]> blocks_;
    std::atomic<int> freeBuffers_{bufferCount};
    int nextBuffer_ = 0;
    WakeSignal doneEvent_;
    std::atomic<int> lastShownSeconds_{-1};
    std::atomic<bool> titleBehind_{false};

    // Serialises opening, closing and pausing; never taken on the audio path.
    std::mutex deviceMutex_;
    std::atomic<bool> open_{false};
    std::atomic<bool> paused_{false};
    // The pause has ended, but the paused device still holds audio that the
    // next reset drops: it resumes after that reset.
    std::atomic<bool> resumeAtReset_{false};
};
