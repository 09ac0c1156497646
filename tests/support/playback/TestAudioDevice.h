#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "AudioDevice.h"

// An audio device that plays nothing. Queued buffers complete when a test
// says so (complete), or, in flowing mode, one after the other on a thread of
// the device's own, as fast as they come or at a set pace. It counts what was
// asked of it and keeps the bytes of every completed buffer.
class TestAudioDevice : public AudioDevice {
public:
    TestAudioDevice();
    ~TestAudioDevice() override;

    // Called on the player's thread as a reset begins: a test holds the
    // player there to look at what it shows before the queue is dropped.
    // Set it while no player runs.
    std::function<void()> beforeReset;

    int outputDeviceCount() override;
    bool open(const AudioFormat& format, AudioDeviceListener& listener, std::string& errorText) override;
    void write(const std::uint8_t* data, int length) override;
    void reset() override;
    int dropAfterHead() override;
    void pause() override;
    void resume() override;
    bool close(std::string& errorText) override;
    void setGain(float gain) override { gain_.store(gain); }
    float gain() const { return gain_.load(); }

    // Set-up of failures.
    void setDeviceCount(int count);
    void failOpen(std::optional<std::string> errorText);
    void failClose(std::optional<std::string> errorText);

    // Completes up to n of the oldest queued buffers on the calling thread;
    // returns how many. Paused, nothing completes.
    int complete(int n);
    // Flowing mode: the device's thread completes each queued buffer after
    // pace (zero: at once), until flowing is turned off.
    void setFlowing(bool flowing, std::chrono::microseconds pace = std::chrono::microseconds(0));

    // With a delay, a reset takes the buffers off the queue at once but
    // reports them done only after the delay, from the device's thread.
    void setLateReset(std::chrono::milliseconds delay);

    // Waits until at least n buffers are queued; false after the time-out.
    bool waitForQueued(int n, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Waits until at least n buffers have been written since the last clear.
    bool waitForWrites(int n, std::chrono::milliseconds timeout = std::chrono::seconds(10));

    int queued() const;
    int writes() const;
    int resets() const;
    // dropAfterHead calls, and the buffers they took back.
    int drops() const;
    int droppedBuffers() const;
    int opens() const;
    int closes() const;
    bool isOpen() const;
    bool isPaused() const;
    AudioFormat format() const;
    // Bytes of every buffer that completed by playing (not by a reset).
    std::vector<std::uint8_t> played() const;
    // Writes counted when the last reset happened.
    int writesAtLastReset() const;
    // Calls that a real device would not take: opening twice, writing while
    // closed or past maxQueued, closing with buffers queued.
    int misuses() const;

private:
    struct Queued {
        const std::uint8_t* data;
        int length;
    };
    void finishOldest(bool played);
    void flow();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Queued> queue_;
    std::vector<std::uint8_t> played_;
    AudioDeviceListener* listener_ = nullptr;
    AudioFormat format_{};
    int deviceCount_ = 1;
    std::optional<std::string> openError_;
    std::optional<std::string> closeError_;
    bool open_ = false;
    bool paused_ = false;
    bool flowing_ = false;
    bool ending_ = false;
    std::chrono::microseconds pace_{0};
    std::chrono::milliseconds lateReset_{0};
    int returning_ = 0;
    std::chrono::steady_clock::time_point returnAt_{};
    int writes_ = 0;
    int resets_ = 0;
    int drops_ = 0;
    int droppedBuffers_ = 0;
    int opens_ = 0;
    int closes_ = 0;
    int writesAtLastReset_ = 0;
    int misuses_ = 0;
    std::atomic<float> gain_{1.0f};
    std::thread flowThread_;
};
