#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "AudioDevice.h"
#include "BlockTag.h"
#include "Mp3Decoder.h"
#include "PcmBlocks.h"
#include "PlayerState.h"
#include "WakeSignal.h"

class AudibleSong;
class PlayerReadouts;
class UserMessages;

// Sends the decoder's PCM to the audio device through a ring of 64 blocks of
// 16 KiB, so decoding runs up to about six seconds ahead of what is heard.
// The player thread opens, writes and closes, and tags each block with where
// its samples came from; the device's own thread reports each finished
// block, and this only counts: it publishes the place heard and wakes the
// writer. The writer passes what is heard on to the readouts.
class WaveOutput : public mp3::PcmSink, private AudioDeviceListener {
public:
    static constexpr int bufferCount = pcm::blockCount;
    static constexpr int bufferBytes = pcm::blockBytes;

    WaveOutput(AudioDevice& device, PlayerControl& control, AudibleSong& audible, PlayerReadouts& readouts,
               UserMessages& messages);
    WaveOutput(const WaveOutput&) = delete;
    WaveOutput& operator=(const WaveOutput&) = delete;

    // Opens the device for the format unless it is open already or the format
    // is not set yet (0); -1 after telling the user why it cannot be opened.
    int openDevice(const DeviceFormat& format);

    // The samples written from now on are song number's, from its frame
    // firstFrame on, after heldFrames frames of the song before that the
    // decoder holds for the next block.
    void beginSong(std::uint32_t number, std::uint32_t firstFrame, int heldFrames);

    // Queues one block, first resetting the device when a reset is pending.
    // Waits while every block is queued; a request (keepDecoding cleared)
    // ends the wait and the block is dropped, since every request discards
    // the queued audio anyway. So does a new equaliser setting while the
    // audio ahead can be made anew (canRemakeAfterHead).
    void writeBuffer(const std::uint8_t* data, int size) override;

    // Where the audio written so far ends: the song and frame of the next
    // sample to be written.
    struct Place {
        std::uint32_t song = 0;
        std::uint32_t frame = 0;
    };
    // The song in which the audio queued now first reaches past the block
    // playing: the end of the oldest queued block, or of what was written
    // when nothing is queued.
    std::uint32_t songAfterHead() const;
    // The song before the one being written, when the player can open it
    // again at any place of its end still queued; 0 for none.
    void setEarlierSong(std::uint32_t number) { earlierSong_ = number; }
    // Whether the audio queued past the block playing, and the samples
    // written next, can be made anew: they are all of the song being
    // written, or of it and the earlier song, and no reset is to drop them.
    // Player thread only.
    bool canRemakeAfterHead() const;
    // Takes back every queued block but the one playing, which plays on, and
    // returns where the audio kept ends: the samples written next are to
    // follow it. Player thread only.
    Place dropAfterHead();

    // Drops what is queued, waits until every block is back, and closes.
    void closeDevice();

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

    bool isOpen() const { return open_.load(); }
    int freeBuffers() const { return freeBuffers_.load(); }
    int nextBuffer() const { return nextBuffer_; }

private:
    void onBufferDone(bool played) noexcept override;
    void resetDevice();
    bool waitForFreeBuffer();
    // Waits for the next finished block, then passes what is heard on.
    void waitForDone(std::uint32_t ticket);
    BlockTag tagFor(int size);
    void resumeAfterReset();
    std::uint8_t* block(int index) { return blocks_.get() + static_cast<std::size_t>(index) * bufferBytes; }

    AudioDevice& device_;
    PlayerControl& control_;
    AudibleSong& audible_;
    PlayerReadouts& readouts_;
    UserMessages& messages_;

    // Allocated once, so opening never fails for want of memory.
    std::unique_ptr<std::uint8_t[]> blocks_;
    BlockTag tags_[bufferCount];
    std::atomic<int> freeBuffers_{bufferCount};
    int nextBuffer_ = 0;
    WakeSignal doneEvent_;

    // The writer's side of the tags: the song and frame of the next sample
    // written, and a song that begins within the next block.
    std::uint32_t writingSong_ = 0;
    std::uint32_t writingFrame_ = 0;
    std::uint32_t pendingSong_ = 0;
    int pendingAt_ = -1;
    std::uint32_t earlierSong_ = 0;
    // The device's side: the ring slot of the next block to finish. Only the
    // device changes it, from one thread at a time.
    int doneSlot_ = 0;

    // Serialises opening, closing and pausing; never taken on the audio path.
    std::mutex deviceMutex_;
    std::atomic<bool> open_{false};
    std::atomic<bool> paused_{false};
    // The pause has ended, but the paused device still holds audio that the
    // next reset drops: it resumes after that reset.
    std::atomic<bool> resumeAtReset_{false};
};
