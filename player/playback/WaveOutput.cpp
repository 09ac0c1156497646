#include "WaveOutput.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "PlayerMessages.h"
#include "PlayerReadouts.h"
#include "Playlist.h"
#include "UserMessages.h"

namespace {

std::string errorTextOrUnknown(const std::string& text) { return text.empty() ? "Unknown error" : text; }

} // namespace

WaveOutput::WaveOutput(AudioDevice& device, PlayerControl& control, SongInfo& song, Playlist& playlist,
                       PlayerReadouts& readouts, UserMessages& messages)
    : device_(device), control_(control), song_(song), playlist_(playlist), readouts_(readouts),
      messages_(messages), blocks_(new std::uint8_t[static_cast<std::size_t>(bufferCount) * bufferBytes])
{
}

int WaveOutput::openDevice(const DeviceFormat& format)
{
    std::lock_guard lock(deviceMutex_);
    if (format.sampleRate.load() == -1 || open_.load())
        return 0;
    if (device_.outputDeviceCount() == 0) {
        messages_.post(playertext::errorCaption, "No Audio Devices Found", MessageIcon::none);
        return -1;
    }
    freeBuffers_.store(bufferCount);
    nextBuffer_ = 0;
    std::string errorText;
    AudioFormat wanted{format.sampleRate.load(), format.channelCount.load()};
    if (!device_.open(wanted, *this, errorText)) {
        messages_.post("waveOutOpen", errorTextOrUnknown(errorText), MessageIcon::none);
        return -1;
    }
    if (paused_.load())
        device_.pause();
    resumeAtReset_.store(false);
    open_.store(true);
    return 0;
}

void WaveOutput::writeBuffer(const std::uint8_t* data, int size)
{
    size = std::clamp(size, 0, bufferBytes);
    // Resetting before waiting for a free block: the reset frees them all, so
    // the new position is heard without waiting for old audio, paused or not.
    if (control_.resetPending.load())
        resetDevice();
    if (nextBuffer_ >= bufferCount)
        nextBuffer_ = 0;
    if (!waitForFreeBuffer())
        return;
    // Blocks complete in queue order, so with one block free the next in the
    // ring is no longer held by the device.
    std::memcpy(block(nextBuffer_), data, static_cast<std::size_t>(size));
    freeBuffers_.fetch_sub(1);
    device_.write(block(nextBuffer_), size);
    ++nextBuffer_;
}

bool WaveOutput::waitForFreeBuffer()
{
    for (;;) {
        auto ticket = doneEvent_.ticket();
        if (freeBuffers_.load() >= 1)
            return true;
        if (!control_.keepDecoding.load())
            return false;
        doneEvent_.wait(ticket);
    }
}

void WaveOutput::resetDevice()
{
    if (open_.load())
        device_.reset();
    if (!control_.seekKeepsPosition.exchange(false))
        control_.playedUnits.store(0);
    // From here on the song being decoded is the one heard.
    song_.hearDecodedSong();
    if (titleBehind_.exchange(false)) {
        std::string path;
        if (playlist_.getCurrent(path))
            readouts_.setTitle(path);
    }
    control_.resetPending.store(0);
    resumeAfterReset();
    showPosition(static_cast<int>(control_.playedUnits.load() / unitsPerSecond));
}

void WaveOutput::resumeAfterReset()
{
    std::lock_guard lock(deviceMutex_);
    if (resumeAtReset_.exchange(false) && open_.load() && !paused_.load())
        device_.resume();
}

bool WaveOutput::playQueuedToEnd()
{
    for (;;) {
        auto ticket = doneEvent_.ticket();
        if (control_.resetPending.load() || !control_.keepDecoding.load())
            return false;
        if (freeBuffers_.load() >= bufferCount)
            return true;
        doneEvent_.wait(ticket);
    }
}

int WaveOutput::closeDevice()
{
    if (!open_.load())
        return 0;
    // The reset is pending until every block is back, so that none of the
    // returned blocks counts as played, however late the device returns them.
    control_.resetPending.store(1);
    device_.reset();
    for (;;) {
        auto ticket = doneEvent_.ticket();
        if (freeBuffers_.load() >= bufferCount)
            break;
        doneEvent_.wait(ticket);
    }
    control_.resetPending.store(0);
    control_.playedUnits.store(0);

    std::lock_guard lock(deviceMutex_);
    resumeAtReset_.store(false);
    std::string errorText;
    if (!device_.close(errorText))
        messages_.post("waveOutClose", errorTextOrUnknown(errorText), MessageIcon::none);
    open_.store(false);
    return 0;
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
        if (!changed)
            return;
    }
    readouts_.showPaused(paused);
}

void WaveOutput::endPauseAtReset()
{
    {
        std::lock_guard lock(deviceMutex_);
        if (!paused_.exchange(false))
            return;
        if (open_.load())
            resumeAtReset_.store(true);
    }
    readouts_.showPaused(false);
}

void WaveOutput::onBufferDone()
{
    // Counted before the block is given back: a closer that has seen every
    // block back must not see a count arrive after it cleared the counter.
    const bool resetting = control_.resetPending.load() != 0;
    if (!resetting)
        control_.playedUnits.fetch_add(unitsPerBuffer);
    int seconds = static_cast<int>(control_.playedUnits.load() / unitsPerSecond);
    freeBuffers_.fetch_add(1);
    doneEvent_.signal();
    // During a reset the position may already be a seek's place in the next
    // song while songSeconds still is the old song's length: the reset
    // itself makes the next song the audible one.
    if (!resetting && seconds > song_.songSeconds.load())
        switchToAudibleSong();
    // The readouts get the second counted above even when the switch has just
    // zeroed the counter; the zero shows at the next block.
    showPosition(seconds);
}

void WaveOutput::switchToAudibleSong()
{
    control_.playedUnits.store(0);
    titleBehind_.store(false);
    song_.hearDecodedSong();
    std::string path;
    if (playlist_.getCurrent(path))
        readouts_.setTitle(path);
}

void WaveOutput::showPosition(int seconds)
{
    if (lastShownSeconds_.exchange(seconds) == seconds)
        return;
    song_.positionSeconds.store(seconds);
    readouts_.repaintSeekBar();
    readouts_.setTime(seconds);
}
