#include "SdlAudioDevice.h"

#include <algorithm>
#include <cstring>

#include <SDL2/SDL.h>

#include "SampleGain.h"

namespace {

// About 46 ms at 44100 Hz: short enough that a reset is heard almost at once,
// long enough that the device thread wakes seldom (CPU while playing).
constexpr Uint16 deviceSamples = 2048;

} // namespace

SdlAudioDevice::~SdlAudioDevice()
{
    if (deviceId_ != 0) SDL_CloseAudioDevice(deviceId_);
    if (subsystemStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlAudioDevice::startSubsystem()
{
    if (!subsystemStarted_) {
        // SDL would otherwise take over the termination signals and turn them
        // into events nobody reads: the player could not be ended by them.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        // The name the sound server shows for the player's stream in the
        // system's mixer; read when the device opens.
        SDL_SetHint(SDL_HINT_APP_NAME, "Sonorbox");
        subsystemStarted_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    }
    return subsystemStarted_;
}

int SdlAudioDevice::outputDeviceCount()
{
    if (!startSubsystem()) return 0;
    // -1 means the driver cannot list its devices, not that there are none.
    int count = SDL_GetNumAudioDevices(0);
    return count < 0 ? 1 : count;
}

bool SdlAudioDevice::open(const AudioFormat& format, AudioDeviceListener& listener, std::string& errorText)
{
    if (!startSubsystem()) {
        errorText = SDL_GetError();
        return false;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = format.sampleRate;
    wanted.format = AUDIO_S16LSB;
    wanted.channels = static_cast<Uint8>(format.channelCount);
    wanted.samples = deviceSamples;
    wanted.callback = &SdlAudioDevice::fillCallback;
    wanted.userdata = this;

    listener_ = &listener;
    writeCount_.store(0);
    readCount_.store(0);
    headOffset_ = 0;
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts our format to the hardware's itself.
    deviceId_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (deviceId_ == 0) {
        errorText = SDL_GetError();
        return false;
    }
    silence_ = obtained.silence;
    SDL_PauseAudioDevice(deviceId_, 0);
    return true;
}

void SdlAudioDevice::write(const std::uint8_t* data, int length)
{
    unsigned at = writeCount_.load(std::memory_order_relaxed);
    ring_[at % ringSize] = Queued{data, length};
    writeCount_.store(at + 1, std::memory_order_release);
}

void SDLCALL SdlAudioDevice::fillCallback(void* self, Uint8* stream, int length)
{
    static_cast<SdlAudioDevice*>(self)->fill(stream, length);
}

void SdlAudioDevice::fill(Uint8* stream, int length)
{
    const float gain = gain_.load(std::memory_order_relaxed);
    while (length > 0) {
        unsigned head = readCount_.load(std::memory_order_relaxed);
        if (head == writeCount_.load(std::memory_order_acquire)) {
            std::memset(stream, silence_, static_cast<std::size_t>(length));
            return;
        }
        const Queued& queued = ring_[head % ringSize];
        int take = std::min(length, queued.length - headOffset_);
        std::memcpy(stream, queued.data + headOffset_, static_cast<std::size_t>(take));
        applyGain(stream, take, gain);
        stream += take;
        length -= take;
        headOffset_ += take;
        if (headOffset_ >= queued.length) finishHead(true);
    }
}

void SdlAudioDevice::finishHead(bool played)
{
    headOffset_ = 0;
    readCount_.store(readCount_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    listener_->onBufferDone(played);
}

void SdlAudioDevice::reset()
{
    if (deviceId_ == 0) return;
    // With the device locked its thread is outside the callback, so this
    // thread may take the consumer's part and drop every queued buffer.
    SDL_LockAudioDevice(deviceId_);
    while (readCount_.load(std::memory_order_relaxed) != writeCount_.load(std::memory_order_acquire)) finishHead(false);
    SDL_UnlockAudioDevice(deviceId_);
}

int SdlAudioDevice::dropAfterHead()
{
    if (deviceId_ == 0) return 0;
    // The writer's own counter steps back, with the consumer held outside
    // the callback: the buffers past the head were never touched by it.
    SDL_LockAudioDevice(deviceId_);
    const unsigned head = readCount_.load(std::memory_order_relaxed);
    const unsigned written = writeCount_.load(std::memory_order_relaxed);
    const int dropped = written - head > 1 ? static_cast<int>(written - head - 1) : 0;
    if (dropped > 0) writeCount_.store(head + 1, std::memory_order_release);
    SDL_UnlockAudioDevice(deviceId_);
    return dropped;
}

void SdlAudioDevice::pause()
{
    if (deviceId_ != 0) SDL_PauseAudioDevice(deviceId_, 1);
}

void SdlAudioDevice::resume()
{
    if (deviceId_ != 0) SDL_PauseAudioDevice(deviceId_, 0);
}

bool SdlAudioDevice::close(std::string& errorText)
{
    if (deviceId_ == 0) {
        errorText = "The audio device is not open";
        return false;
    }
    SDL_CloseAudioDevice(deviceId_);
    deviceId_ = 0;
    listener_ = nullptr;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystemStarted_ = false;
    return true;
}
