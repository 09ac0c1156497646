// The SDL2 device on SDL's disk driver, which writes what it would play to a
// file: buffers come out whole and in order, each reported done once.
#include <gtest/gtest.h>

#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>

#include <SDL2/SDL_hints.h>

#include "SdlAudioDevice.h"
#include "TempFolder.h"

using namespace std::chrono_literals;

namespace {

class CountingListener : public AudioDeviceListener {
public:
    void onBufferDone(bool played) override
    {
        {
            std::lock_guard lock(mutex_);
            ++done_;
            played_ += played ? 1 : 0;
        }
        changed_.notify_all();
    }
    bool waitFor(int n, std::chrono::milliseconds timeout = 10s)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return done_ >= n; });
    }
    int done()
    {
        std::lock_guard lock(mutex_);
        return done_;
    }
    int played()
    {
        std::lock_guard lock(mutex_);
        return played_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int done_ = 0;
    int played_ = 0;
};

struct SdlDisk : ::testing::Test {
    TempFolder folder;
    std::string output = folder.file("out.raw");
    SdlAudioDevice device;
    CountingListener listener;

    void SetUp() override
    {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "1", 1);
    }

    void open()
    {
        std::string error;
        ASSERT_GE(device.outputDeviceCount(), 1);
        ASSERT_TRUE(device.open(AudioFormat{44100, 2}, listener, error)) << error;
    }

    void close()
    {
        std::string error;
        EXPECT_TRUE(device.close(error)) << error;
    }

    // What reached the file, less the silence played before the first buffer.
    std::vector<std::uint8_t> heard()
    {
        std::ifstream file(output, std::ios::binary);
        std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
        auto first = std::find_if(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != 0; });
        return {first, bytes.end()};
    }
};

std::vector<std::uint8_t> pattern(std::uint8_t seed, int length)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(seed + i % 200 + 1);
    return bytes;
}

} // namespace

TEST_F(SdlDisk, PlaysQueuedBuffersWholeAndInOrder)
{
    open();
    std::vector<std::vector<std::uint8_t>> buffers;
    for (std::uint8_t i = 0; i < 5; ++i) buffers.push_back(pattern(static_cast<std::uint8_t>(i * 7), 16384 - i * 1000));
    for (const auto& buffer : buffers) device.write(buffer.data(), static_cast<int>(buffer.size()));
    ASSERT_TRUE(listener.waitFor(5));
    close();
    EXPECT_EQ(listener.done(), 5);

    std::vector<std::uint8_t> expected;
    for (const auto& buffer : buffers) expected.insert(expected.end(), buffer.begin(), buffer.end());
    auto played = heard();
    ASSERT_GE(played.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), played.begin()));
    EXPECT_TRUE(std::all_of(played.begin() + static_cast<long>(expected.size()), played.end(),
                            [](std::uint8_t b) { return b == 0; }));
}

TEST_F(SdlDisk, PausedNothingCompletesAndAResetReturnsEveryBufferAtOnce)
{
    open();
    device.pause();
    auto dropped = pattern(9, 16384);
    for (int i = 0; i < 64; ++i) device.write(dropped.data(), static_cast<int>(dropped.size()));
    EXPECT_FALSE(listener.waitFor(1, 100ms));
    device.reset();
    EXPECT_EQ(listener.done(), 64);
    EXPECT_EQ(listener.played(), 0); // all dropped, none played

    auto kept = pattern(50, 8192);
    device.write(kept.data(), static_cast<int>(kept.size()));
    device.resume();
    ASSERT_TRUE(listener.waitFor(65));
    close();
    auto played = heard();
    ASSERT_GE(played.size(), kept.size());
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), played.begin()));
}

TEST(SdlDevice, ADriverThatCannotStartHasNoDevicesAndCannotOpen)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    SdlAudioDevice device;
    CountingListener listener;
    EXPECT_EQ(device.outputDeviceCount(), 0);
    std::string error;
    EXPECT_FALSE(device.open(AudioFormat{}, listener, error));
    EXPECT_FALSE(error.empty());
}

TEST_F(SdlDisk, TakingBackWhatFollowsTheHeadKeepsItAndTheNextWriteFollowsIt)
{
    open();
    device.pause();
    std::vector<std::vector<std::uint8_t>> buffers;
    for (std::uint8_t i = 0; i < 10; ++i) buffers.push_back(pattern(static_cast<std::uint8_t>(i * 11), 16384));
    for (const auto& buffer : buffers) device.write(buffer.data(), static_cast<int>(buffer.size()));
    EXPECT_EQ(device.dropAfterHead(), 9);
    // Taken back, not reported: their bytes are the writer's again.
    EXPECT_EQ(listener.done(), 0);
    EXPECT_EQ(device.dropAfterHead(), 0);
    const auto next = pattern(77, 8192);
    device.write(next.data(), static_cast<int>(next.size()));
    device.resume();
    ASSERT_TRUE(listener.waitFor(2));
    close();
    EXPECT_EQ(listener.done(), 2);
    EXPECT_EQ(listener.played(), 2);

    std::vector<std::uint8_t> expected = buffers.front();
    expected.insert(expected.end(), next.begin(), next.end());
    const auto played = heard();
    ASSERT_GE(played.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), played.begin()));
    EXPECT_TRUE(std::all_of(played.begin() + static_cast<long>(expected.size()), played.end(),
                            [](std::uint8_t b) { return b == 0; }));
}

TEST_F(SdlDisk, AResetWhilePlayingReturnsEveryBufferOnceAndPlaysOnAfter)
{
    open();
    // Playing, not paused: the device's thread is taking buffers while the
    // reset drops the rest.
    auto dropped = pattern(3, 16384);
    for (int i = 0; i < 64; ++i) device.write(dropped.data(), static_cast<int>(dropped.size()));
    ASSERT_TRUE(listener.waitFor(2));
    device.reset();
    EXPECT_EQ(listener.done(), 64);
    const int playedBeforeReset = listener.played();
    EXPECT_GE(playedBeforeReset, 2);
    EXPECT_LT(playedBeforeReset, 64);

    auto kept = pattern(120, 4096);
    device.write(kept.data(), static_cast<int>(kept.size()));
    ASSERT_TRUE(listener.waitFor(65));
    close();
    EXPECT_EQ(listener.done(), 65);
    // The buffer written after the reset is heard whole, after whatever of
    // the dropped ones had been played.
    auto played = heard();
    auto at = std::search(played.begin(), played.end(), kept.begin(), kept.end());
    ASSERT_NE(at, played.end());
    EXPECT_LE(at - played.begin(), 64 * 16384);
}

TEST_F(SdlDisk, TheGainScalesEverySampleHandedToTheOutputAndTheStreamIsNamed)
{
    open();
    // The sound server's mixer shows the stream under the player's name.
    EXPECT_STREQ(SDL_GetHint(SDL_HINT_APP_NAME), "Sonorbox");
    device.setGain(0.125f);
    std::vector<std::int16_t> samples;
    for (int i = 0; i < 4096; ++i) samples.push_back(static_cast<std::int16_t>((i % 2 ? -1 : 1) * (1000 + i * 7)));
    std::vector<std::uint8_t> bytes;
    for (std::int16_t sample : samples) {
        bytes.push_back(static_cast<std::uint8_t>(sample & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(sample) >> 8));
    }
    device.write(bytes.data(), static_cast<int>(bytes.size()));
    ASSERT_TRUE(listener.waitFor(1));
    close();
    const auto played = heard();
    ASSERT_GE(played.size(), bytes.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto sample = static_cast<std::int16_t>(played[2 * i] | played[2 * i + 1] << 8);
        ASSERT_EQ(sample, std::lround(samples[i] * 0.125)) << i;
    }
    // The queued bytes themselves stay as written.
    EXPECT_EQ(bytes[0], 1000 & 0xFF);
}
