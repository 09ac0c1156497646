// The audio callback's own work takes no lock and allocates nothing: while
// our listener runs on the device's thread, every pthread_mutex_lock and
// every operator new of this process is counted. The device's own lock
// around the callback lies outside that span. The sanitizers put their own
// versions of both in place, so there the test does not run.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <new>

#include "FixedSettings.h"
#include "Player.h"
#include "RecordingMessages.h"
#include "RecordingReadouts.h"
#include "SongDecoding.h"
#include "TempFolder.h"
#include "TestAudioDevice.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define SANITIZED 1
#endif

#ifndef SANITIZED

namespace {

thread_local bool onAudioPath = false;
std::atomic<int> locksOnAudioPath{0};
std::atomic<int> allocationsOnAudioPath{0};

void* allocate(std::size_t size)
{
    if (onAudioPath) allocationsOnAudioPath.fetch_add(1);
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}

} // namespace

extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex)
{
    using Lock = int (*)(pthread_mutex_t*);
    static const Lock real = reinterpret_cast<Lock>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
    if (onAudioPath) locksOnAudioPath.fetch_add(1);
    return real(mutex);
}

void* operator new(std::size_t size)
{
    return allocate(size);
}
void* operator new[](std::size_t size)
{
    return allocate(size);
}
void operator delete(void* memory) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}

namespace {

// The test device, with the span of our listener's work marked.
class WatchedDevice : public TestAudioDevice, private AudioDeviceListener {
public:
    bool open(const AudioFormat& format, AudioDeviceListener& listener, std::string& errorText) override
    {
        inner_ = &listener;
        return TestAudioDevice::open(format, *this, errorText);
    }
    int calls() const { return calls_.load(); }

private:
    void onBufferDone(bool played) override
    {
        onAudioPath = true;
        inner_->onBufferDone(played);
        onAudioPath = false;
        calls_.fetch_add(1);
    }

    AudioDeviceListener* inner_ = nullptr;
    std::atomic<int> calls_{0};
};

} // namespace

TEST(AudioPath, TheCallbackTakesNoLockAndAllocatesNothing)
{
    // The counting itself works.
    onAudioPath = true;
    {
        std::mutex mutex;
        std::lock_guard lock(mutex);
        delete new int(1);
    }
    onAudioPath = false;
    ASSERT_EQ(locksOnAudioPath.exchange(0), 1);
    ASSERT_EQ(allocationsOnAudioPath.exchange(0), 1);

    // Songs that end by themselves, seeks, next, a hand-over and a reset
    // under way, with the readouts told meanwhile.
    TempFolder folder;
    const std::string first = std::string(TEST_DATA_DIR) + "/mp3/joint-128.mp3";
    const std::string second = std::string(TEST_DATA_DIR) + "/mp3/stereo-128.mp3";
    const std::string list = folder.write("songs.m3u", first + "\n" + second + "\n");
    WatchedDevice device;
    RecordingReadouts readouts;
    RecordingMessages messages;
    FixedSettings settings;
    Player player(device, readouts, messages, settings);
    device.setFlowing(true, std::chrono::microseconds(200));
    player.startPlayerThread(list);
    ASSERT_TRUE(waitUntil([&] { return readouts.titles().size() >= 3; }));
    player.requestSeek(0.5f);
    player.requestNext();
    player.takeOverFile(first);
    ASSERT_TRUE(waitUntil([&] { return device.calls() > 200; }));
    player.stopPlayback();

    EXPECT_EQ(locksOnAudioPath.load(), 0);
    EXPECT_EQ(allocationsOnAudioPath.load(), 0);
    EXPECT_TRUE(messages.messages().empty());
}

#else

TEST(AudioPath, TheCallbackTakesNoLockAndAllocatesNothing)
{
    GTEST_SKIP() << "the sanitizers replace the lock and the allocator this test counts";
}

#endif
