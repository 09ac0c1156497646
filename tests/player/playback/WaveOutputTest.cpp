#include <gtest/gtest.h>

#include <future>
#include <numeric>

#include "AudibleSong.h"
#include "RecordingMessages.h"
#include "RecordingReadouts.h"
#include "TestAudioDevice.h"
#include "WaveOutput.h"

using namespace std::chrono_literals;

namespace {

struct WaveOutputTest : ::testing::Test {
    TestAudioDevice device;
    PlayerControl control;
    AudibleSong audible;
    RecordingMessages messages;
    RecordingReadouts readouts;
    WaveOutput output{device, control, audible, readouts, messages};
    std::vector<std::uint8_t> block = std::vector<std::uint8_t>(mp3::pcmBlockBytes);

    void SetUp() override
    {
        control.keepDecoding = 1;
        control.deviceFormat.sampleRate = 44100;
        control.deviceFormat.channelCount = 2;
    }

    void openDevice() { ASSERT_EQ(output.openDevice(control.deviceFormat), 0); }

    // A song whose samples come next, heldFrames into the next block; its
    // exact length is a quarter second more than its whole seconds.
    std::uint32_t beginSong(const std::string& path, int seconds, int heldFrames = 0)
    {
        const std::uint32_t number =
            audible.begin(path, 0, SongLength{seconds, seconds * 1'000'000LL + 250'000}).number;
        output.beginSong(number, 0, heldFrames);
        return number;
    }

    void write(std::uint8_t fill)
    {
        std::fill(block.begin(), block.end(), fill);
        output.writeBuffer(block.data(), static_cast<int>(block.size()));
    }

    void fillQueue()
    {
        for (int i = 0; i < WaveOutput::bufferCount; ++i) write(static_cast<std::uint8_t>(i));
    }
};

} // namespace

TEST_F(WaveOutputTest, OpensOnlyForASetFormatAndOnlyOnce)
{
    DeviceFormat unset;
    EXPECT_EQ(output.openDevice(unset), 0);
    EXPECT_EQ(device.opens(), 0);

    openDevice();
    openDevice();
    EXPECT_EQ(device.opens(), 1);
    EXPECT_EQ(device.format().sampleRate, 44100);
    EXPECT_EQ(device.format().channelCount, 2);
    EXPECT_EQ(output.freeBuffers(), 64);
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(WaveOutputTest, TellsWhyTheDeviceCannotBeOpened)
{
    device.setDeviceCount(0);
    EXPECT_EQ(output.openDevice(control.deviceFormat), -1);
    device.setDeviceCount(1);
    device.failOpen("Device or resource busy");
    EXPECT_EQ(output.openDevice(control.deviceFormat), -1);
    device.failOpen("");
    EXPECT_EQ(output.openDevice(control.deviceFormat), -1);

    auto shown = messages.messages();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].caption, "Application Error");
    EXPECT_EQ(shown[0].text, "No Audio Devices Found");
    EXPECT_EQ(shown[1].caption, "waveOutOpen");
    EXPECT_EQ(shown[1].text, "Device or resource busy");
    EXPECT_EQ(shown[2].text, "Unknown error");
    for (const auto& message : shown) EXPECT_FALSE(message.waited);
    EXPECT_FALSE(output.isOpen());
}

TEST_F(WaveOutputTest, AFailedCloseIsShownAndTheDeviceForgotten)
{
    openDevice();
    device.failClose("Input/output error");
    output.closeDevice();
    EXPECT_FALSE(output.isOpen());
    auto shown = messages.messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "waveOutClose");
    EXPECT_EQ(shown[0].text, "Input/output error");
    output.closeDevice(); // closed: nothing to do
    EXPECT_EQ(device.closes(), 1);
}

TEST_F(WaveOutputTest, AFullQueueBlocksTheWriterUntilABlockCompletes)
{
    openDevice();
    fillQueue();
    EXPECT_EQ(output.freeBuffers(), 0);
    EXPECT_EQ(device.queued(), 64);
    EXPECT_EQ(output.nextBuffer(), 64);

    auto writer = std::async(std::launch::async, [this] { write(0xEE); });
    EXPECT_EQ(writer.wait_for(100ms), std::future_status::timeout);
    EXPECT_EQ(device.complete(1), 1);
    writer.get();
    EXPECT_EQ(output.nextBuffer(), 1); // the ring wrapped to the first block
    EXPECT_EQ(device.queued(), 64);

    device.complete(64);
    auto played = device.played();
    ASSERT_EQ(played.size(), 65u * mp3::pcmBlockBytes);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(played[static_cast<std::size_t>(i) * mp3::pcmBlockBytes], i);
    EXPECT_EQ(played.back(), 0xEE);
    EXPECT_EQ(output.freeBuffers(), 64);
    EXPECT_EQ(device.misuses(), 0);
}

TEST_F(WaveOutputTest, ARequestReleasesAWaitingWriterAndItsBlockIsDropped)
{
    openDevice();
    output.setPaused(true);
    fillQueue();
    auto writer = std::async(std::launch::async, [this] { write(0xEE); });
    EXPECT_EQ(writer.wait_for(50ms), std::future_status::timeout);
    control.keepDecoding = 0;
    output.wakeWriter();
    EXPECT_EQ(writer.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(device.writes(), 64);
}

TEST_F(WaveOutputTest, PlayedBlocksPublishThePlaceHeardAndDroppedOnesDoNot)
{
    openDevice();
    beginSong("/music/a.mp3", 100);
    for (int i = 0; i < 12; ++i) write(1);
    device.complete(11);
    EXPECT_EQ(audible.heard().frame, 11u * 4096u); // 11 blocks: 1.02 s
    EXPECT_EQ(audible.now().positionSeconds, 1);
    write(1);             // the writer tells the readouts
    output.closeDevice(); // drops the last two
    EXPECT_EQ(audible.heard().frame, 11u * 4096u);
    // Told once per whole second: 0 when the first block was queued, 1 after
    // the eleventh had played.
    EXPECT_EQ(readouts.times(), (std::vector<int>{0, 1}));
    EXPECT_EQ(readouts.titles(), std::vector<std::string>{"/music/a.mp3"});
}

TEST_F(WaveOutputTest, TheNextSongIsHeardWithTheBlockThatHoldsItsFirstSample)
{
    openDevice();
    const std::uint32_t old = beginSong("/music/old.mp3", 1);
    for (int i = 0; i < 10; ++i) write(1);
    // The old song ended 1000 frames into the next block.
    const std::uint32_t next = beginSong("/music/new.mp3", 7, 1000);
    for (int i = 0; i < 3; ++i) write(2);

    device.complete(10);
    EXPECT_EQ(audible.heard().number, old);
    EXPECT_EQ(audible.now().path, "/music/old.mp3");
    EXPECT_EQ(audible.now().lengthSeconds, 1);
    EXPECT_EQ(audible.now().lengthMicroseconds, 1'250'000);
    device.complete(1);
    EXPECT_EQ(audible.heard().number, next);
    EXPECT_EQ(audible.heard().frame, 4096u - 1000u);
    EXPECT_EQ(audible.now().path, "/music/new.mp3");
    EXPECT_EQ(audible.now().lengthSeconds, 7);
    EXPECT_EQ(audible.now().lengthMicroseconds, 7'250'000);
    device.complete(1);
    EXPECT_EQ(audible.heard().frame, 2 * 4096u - 1000u);
}

TEST_F(WaveOutputTest, OfSongsBegunInOneBlockTheLastIsHeardAtItsEnd)
{
    openDevice();
    beginSong("/music/a.mp3", 1);
    beginSong("/music/tiny.mp3", 0, 100);
    const std::uint32_t last = beginSong("/music/b.mp3", 3, 300);
    write(1);
    device.complete(1);
    EXPECT_EQ(audible.heard().number, last);
    EXPECT_EQ(audible.heard().frame, 4096u - 300u);
    // A last partial block counts its own frames.
    output.writeBuffer(block.data(), 400);
    device.complete(1);
    EXPECT_EQ(audible.heard().frame, 4096u - 300u + 100u);
}

TEST_F(WaveOutputTest, ASeekIsHeardAtTheResetAsTheSameSongAtItsNewPlace)
{
    openDevice();
    const std::uint32_t first = beginSong("/music/a.mp3", 100);
    for (int i = 0; i < 3; ++i) write(1);
    device.complete(1);
    control.resetPending = 1;
    const std::uint32_t seek =
        audible.begin("/music/a.mp3", 0, SongLength{100, 100'000'000}, audible.now().song).number;
    output.beginSong(seek, 5 * 44100, 0);
    write(2);
    EXPECT_EQ(device.resets(), 1);
    EXPECT_EQ(device.writesAtLastReset(), 3);
    EXPECT_EQ(device.queued(), 1);
    EXPECT_EQ(control.resetPending.load(), 0);
    EXPECT_NE(seek, first);
    // Heard at once, paused or not: nothing else is queued.
    EXPECT_EQ(audible.heard().number, seek);
    EXPECT_EQ(audible.now().positionSeconds, 5);
    EXPECT_EQ(readouts.titles().size(), 1u); // the same song
    EXPECT_EQ(readouts.times().back(), 5);
    EXPECT_EQ(output.freeBuffers(), 63);
}

TEST_F(WaveOutputTest, CloseWaitsUntilEveryBlockIsBack)
{
    openDevice();
    device.setLateReset(150ms);
    for (int i = 0; i < 40; ++i) write(1);
    device.complete(8);
    auto started = std::chrono::steady_clock::now();
    output.closeDevice();
    EXPECT_GE(std::chrono::steady_clock::now() - started, 140ms);
    EXPECT_EQ(output.freeBuffers(), 64);
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(device.misuses(), 0); // the device was closed with nothing out
}

TEST_F(WaveOutputTest, PausedNothingCompletesAndAPauseBeforeOpeningHolds)
{
    output.setPaused(true);
    openDevice();
    EXPECT_TRUE(device.isPaused());
    beginSong("/music/a.mp3", 100);
    write(1);
    write(1);
    EXPECT_EQ(device.complete(1), 0);
    EXPECT_EQ(audible.heard().frame, 0u);
    output.setPaused(false);
    EXPECT_FALSE(device.isPaused());
    EXPECT_EQ(device.complete(1), 1);
    EXPECT_EQ(audible.heard().frame, 4096u);
}

TEST_F(WaveOutputTest, PlayingTheQueueToItsEndWaitsForTheLastBlockOrARequest)
{
    EXPECT_TRUE(output.playQueuedToEnd()); // closed: nothing to wait for
    openDevice();
    write(1);
    write(2);
    auto playing = std::async(std::launch::async, [this] { return output.playQueuedToEnd(); });
    EXPECT_EQ(device.complete(1), 1);
    EXPECT_EQ(playing.wait_for(50ms), std::future_status::timeout);
    EXPECT_EQ(device.complete(1), 1);
    EXPECT_TRUE(playing.get());

    write(3);
    playing = std::async(std::launch::async, [this] { return output.playQueuedToEnd(); });
    EXPECT_EQ(playing.wait_for(50ms), std::future_status::timeout);
    control.keepDecoding = 0;
    output.wakeWriter();
    EXPECT_FALSE(playing.get());

    // Audio that a pending reset is to drop is not waited for.
    control.keepDecoding = 1;
    control.resetPending = 1;
    EXPECT_FALSE(output.playQueuedToEnd());
    EXPECT_EQ(device.queued(), 1);
}

TEST_F(WaveOutputTest, APauseEndedByARequestResumesTheDeviceOnceItsResetHasDroppedTheOldAudio)
{
    openDevice();
    write(1);
    output.setPaused(true);
    output.endPauseAtReset();
    EXPECT_FALSE(output.paused());
    EXPECT_TRUE(device.isPaused());
    control.resetPending = 1;
    write(2);
    EXPECT_FALSE(device.isPaused());
    EXPECT_EQ(device.complete(1), 1);
    EXPECT_EQ(device.played(), std::vector<std::uint8_t>(mp3::pcmBlockBytes, 2));

    // Paused again before the reset came: the device stays paused through it.
    output.setPaused(true);
    output.endPauseAtReset();
    output.setPaused(true);
    control.resetPending = 1;
    write(3);
    EXPECT_TRUE(device.isPaused());
    EXPECT_EQ(readouts.pauseLooks(), (std::vector<bool>{true, false, true, false, true}));
    EXPECT_EQ(device.misuses(), 0);
}
