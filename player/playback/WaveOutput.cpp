#include "WaveOutput.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "AudibleSong.h"
#include "PlayerMessages.h"
#include "PlayerReadouts.h"
#include "UserMessages.h"

namespace {

std::string errorTextOrUnknown(const std::string& text)
{
    return text.empty() ? playertext::unknownDeviceError : text;
}

} // namespace

WaveOutput::WaveOutput(AudioDevice& device, PlayerControl& control, AudibleSong& audible, PlayerReadouts& readouts,
                       UserMessages& messages)
    : device_(device), control_(control), audible_(audible), readouts_(readouts), messages_(messages),
      blocks_(new std::uint8_t[static_cast<std::size_t>(bufferCount) * bufferBytes])
{
}

int WaveOutput::openDevice(const DeviceFormat& format)
{
    std::lock_guard lock(deviceMutex_);
    if (format.sampleRate.load() == -1 || open_.load()) return 0;
    if (device_.outputDeviceCount() == 0) {
        messages_.post(playertext::errorCaption, playertext::noAudioDevices, MessageIcon::none);
        return -1;
    }
    freeBuffers_.store(bufferCount);
    nextBuffer_ = 0;
    doneSlot_ = 0;
    std::string errorText;
    AudioFormat wanted{format.sampleRate.load(), format.channelCount.load()};
    if (!device_.open(wanted, *this, errorText)) {
        messages_.post(playertext::deviceOpenCaption, errorTextOrUnknown(errorText), MessageIcon::none);
        return -1;
    }
    if (paused_.load()) device_.pause();
    resumeAtReset_.store(false);
    open_.store(true);
    return 0;
}

void WaveOutput::beginSong(std::uint32_t number, std::uint32_t firstFrame, int heldFrames)
{
    if (heldFrames <= 0) {
        writingSong_ = number;
        writingFrame_ = firstFrame;
        pendingAt_ = -1;
        return;
    }
    // A song that began earlier in the same block is heard too briefly to
    // show: the tag names the last song that begins in the block.
    pendingSong_ = number;
    pendingAt_ = heldFrames;
}

BlockTag WaveOutput::tagFor(int size)
{
    BlockTag tag;
    tag.song = writingSong_;
    tag.startFrame = writingFrame_;
    tag.frames = static_cast<std::uint32_t>(size / pcm::bytesPerFrame);
    tag.nextSongAt = tag.frames;
    if (pendingAt_ >= 0 && static_cast<std::uint32_t>(pendingAt_) < tag.frames) {
        tag.nextSongAt = static_cast<std::uint32_t>(pendingAt_);
        tag.nextSong = pendingSong_;
        pendingAt_ = -1;
    }
    writingSong_ = tag.endSong();
    writingFrame_ = tag.endFrame();
    return tag;
}

void WaveOutput::writeBuffer(const std::uint8_t* data, int size)
{
    size = std::clamp(size, 0, bufferBytes);
    // Resetting before waiting for a free block: the reset frees them all, so
    // the new position is heard without waiting for old audio, paused or not.
    if (control_.resetPending.load()) resetDevice();
    if (nextBuffer_ >= bufferCount) nextBuffer_ = 0;
    if (!waitForFreeBuffer()) return;
    // With nothing queued, this block is the next thing heard.
    if (freeBuffers_.load() == bufferCount) audible_.publish(writingSong_, writingFrame_);
    // Blocks complete in queue order, so with one block free the next in the
    // ring is no longer held by the device.
    std::memcpy(block(nextBuffer_), data, static_cast<std::size_t>(size));
    tags_[nextBuffer_] = tagFor(size);
    freeBuffers_.fetch_sub(1);
    device_.write(block(nextBuffer_), size);
    ++nextBuffer_;
    audible_.relay(readouts_);
}

void WaveOutput::waitForDone(std::uint32_t ticket)
{
    doneEvent_.wait(ticket);
    audible_.relay(readouts_);
}

bool WaveOutput::waitForFreeBuffer()
{
    for (;;) {
        auto ticket = doneEvent_.ticket();
        if (freeBuffers_.load() >= 1) return true;
        if (!control_.keepDecoding.load()) return false;
        if (control_.equaliserAsked.load() && canRemakeAfterHead()) return false;
        waitForDone(ticket);
    }
}

std::uint32_t WaveOutput::songAfterHead() const
{
    // The writer's own count: the blocks it wrote that have not come back,
    // the oldest of them playing.
    const int queued = bufferCount - freeBuffers_.load();
    if (queued <= 0) return writingSong_;
    return tags_[((nextBuffer_ - queued) % bufferCount + bufferCount) % bufferCount].endSong();
}

bool WaveOutput::canRemakeAfterHead() const
{
    if (control_.resetPending.load() != 0 || pendingAt_ >= 0) return false;
    const std::uint32_t head = songAfterHead();
    return head == writingSong_ || (earlierSong_ != 0 && head == earlierSong_);
}

WaveOutput::Place WaveOutput::dropAfterHead()
{
    const int dropped = open_.load() ? device_.dropAfterHead() : 0;
    if (dropped > 0) {
        // The ring is written in order, so the blocks taken back are the
        // newest: the next write goes where the first of them was.
        nextBuffer_ = ((nextBuffer_ - dropped) % bufferCount + bufferCount) % bufferCount;
        const BlockTag& kept = tags_[(nextBuffer_ + bufferCount - 1) % bufferCount];
        writingSong_ = kept.endSong();
        writingFrame_ = kept.endFrame();
        pendingAt_ = -1;
        freeBuffers_.fetch_add(dropped);
    }
    return {writingSong_, writingFrame_};
}

void WaveOutput::resetDevice()
{
    if (open_.load()) device_.reset();
    control_.resetPending.store(0);
    resumeAfterReset();
}

void WaveOutput::resumeAfterReset()
{
    std::lock_guard lock(deviceMutex_);
    if (resumeAtReset_.exchange(false) && open_.load() && !paused_.load()) device_.resume();
}

bool WaveOutput::playQueuedToEnd()
{
    for (;;) {
        auto ticket = doneEvent_.ticket();
        if (control_.resetPending.load() || !control_.keepDecoding.load()) return false;
        if (freeBuffers_.load() >= bufferCount) return true;
        waitForDone(ticket);
    }
}

void WaveOutput::closeDevice()
{
    if (!open_.load()) return;
    device_.reset();
    for (;;) {
        auto ticket = doneEvent_.ticket();
        if (freeBuffers_.load() >= bufferCount) break;
        doneEvent_.wait(ticket);
    }

    std::lock_guard lock(deviceMutex_);
    resumeAtReset_.store(false);
    std::string errorText;
    if (!device_.close(errorText))
        messages_.post(playertext::deviceCloseCaption, errorTextOrUnknown(errorText), MessageIcon::none);
    open_.store(false);
}

void WaveOutput::setPaused(bool paused)
{
    {
        std::lock_guard lock(deviceMutex_);
        // A device waiting to resume at a reset is still paused.
        const bool devicePaused = paused_.load() || resumeAtReset_.exchange(false);
        const bool changed = paused_.exchange(paused) != paused;
        if (open_.load() && devicePaused != paused) {
            if (paused)
                device_.pause();
            else
                device_.resume();
        }
        if (!changed) return;
    }
    readouts_.showPaused(paused);
}

void WaveOutput::endPauseAtReset()
{
    {
        std::lock_guard lock(deviceMutex_);
        if (!paused_.exchange(false)) return;
        if (open_.load()) resumeAtReset_.store(true);
    }
    readouts_.showPaused(false);
}

void WaveOutput::onBufferDone(bool played) noexcept
{
    // The audio path: counting only. The place heard is published before the
    // block is given back, so that a writer that finds every block back also
    // finds the last of them heard.
    const BlockTag& tag = tags_[doneSlot_];
    doneSlot_ = doneSlot_ + 1 == bufferCount ? 0 : doneSlot_ + 1;
    if (played) audible_.publish(tag.endSong(), tag.endFrame());
    freeBuffers_.fetch_add(1);
    doneEvent_.signal();
}
