#pragma once

#include <atomic>
#include <cstdint>

#include <SDL2/SDL_audio.h>

#include "AudioDevice.h"

// The default output device through SDL2's audio subsystem. SDL's audio
// thread pulls the queued buffers in order, one after the other, and reports
// each as done once it has taken all of its bytes. The queue between the
// writer and that thread is a single-producer, single-consumer ring: writing
// takes no lock. Only reset and dropAfterHead, which must stop the consumer,
// lock the device.
class SdlAudioDevice : public AudioDevice {
public:
    SdlAudioDevice() = default;
    SdlAudioDevice(const SdlAudioDevice&) = delete;
    SdlAudioDevice& operator=(const SdlAudioDevice&) = delete;
    ~SdlAudioDevice() override;

    int outputDeviceCount() override;
    bool open(const AudioFormat& format, AudioDeviceListener& listener, std::string& errorText) override;
    void write(const std::uint8_t* data, int length) override;
    void reset() override;
    int dropAfterHead() override;
    void pause() override;
    void resume() override;
    bool close(std::string& errorText) override;
    void setGain(float gain) override { gain_.store(gain, std::memory_order_relaxed); }

private:
    struct Queued {
        const std::uint8_t* data = nullptr;
        int length = 0;
    };

    static void SDLCALL fillCallback(void* self, Uint8* stream, int length);
    void fill(Uint8* stream, int length);
    // Consumer side: only SDL's audio thread, or a reset holding the device lock.
    void finishHead(bool played);
    bool startSubsystem();

    static constexpr unsigned ringSize = maxQueued;

    SDL_AudioDeviceID deviceId_ = 0;
    bool subsystemStarted_ = false;
    Uint8 silence_ = 0;
    AudioDeviceListener* listener_ = nullptr;

    Queued ring_[ringSize];
    std::atomic<unsigned> writeCount_{0};
    std::atomic<unsigned> readCount_{0};
    int headOffset_ = 0;
    // Read by SDL's audio thread at each copy into its buffer.
    std::atomic<float> gain_{1.0f};
    static_assert(std::atomic<float>::is_always_lock_free);
};
