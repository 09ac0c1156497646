// The listener's equaliser on the real engine: a new curve is heard from the
// end of the block playing, the audio queued after it made anew, with
// nothing heard twice or skipped; a slider moved without pause neither stalls
// the window thread nor breaks the timeline.
#include <gtest/gtest.h>

#include <algorithm>

#include "PlayerFixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t blockBytes = 16384;

mp3::EqualiserSetting tilted(float low, float high)
{
    mp3::EqualiserSetting setting;
    for (int band = 0; band < mp3::equaliserBands; ++band)
        setting.gainsDb[band] = low + (high - low) * static_cast<float>(band) / (mp3::equaliserBands - 1);
    return setting;
}

// The song as the decoder alone makes it with one setting, the last block
// too.
Bytes decodeWith(const std::string& path, const mp3::EqualiserSetting& setting)
{
    struct Collect : mp3::PcmSink {
        Bytes bytes;
        void writeBuffer(const std::uint8_t* data, int size) override { bytes.insert(bytes.end(), data, data + size); }
    } sink;
    mp3::Decoder decoder;
    decoder.setEqualiser(setting);
    decoder.openSong(path.c_str());
    mp3::FrameHeader header;
    while (decoder.nextFrame(header) == mp3::FrameRead::frame) decoder.decodeFrame(header, sink);
    decoder.endStream();
    decoder.flushPcm(sink);
    return sink.bytes;
}

struct PlayerEqualiserTest : PlayerFixture {
    // The first difference between what was played and what was expected,
    // in blocks; npos when they agree as far as both go.
    static std::size_t firstDifference(const Bytes& played, const Bytes& expected)
    {
        const std::size_t n = std::min(played.size(), expected.size());
        const auto at = std::mismatch(played.begin(), played.begin() + static_cast<long>(n), expected.begin()).first;
        return at == played.begin() + static_cast<long>(n) ? std::string::npos
                                                           : static_cast<std::size_t>(at - played.begin());
    }
};

} // namespace

TEST_F(PlayerEqualiserTest, ANewCurveIsHeardFromTheEndOfTheBlockPlayingWithNothingTwiceOrSkipped)
{
    const mp3::EqualiserSetting before = mp3::builtInEqualiser();
    const mp3::EqualiserSetting after = tilted(9, -9);
    const Bytes withBefore = decodeWith(demoSong, before);
    const Bytes withAfter = decodeWith(demoSong, after);
    player->setRepeat(Repeat::off);
    player->startPlayerThread(demoSong);
    waitForFullQueue();
    // Five blocks heard, the sixth playing when the curve changes.
    ASSERT_EQ(device.complete(5), 5);
    waitForFullQueue();
    player->setEqualiser(after);
    EXPECT_EQ(player->equaliser(), after);
    ASSERT_TRUE(waitUntil([&] { return device.droppedBuffers() > 0 && device.queued() == 64; }));
    // Only the blocks after the one playing were taken back; nothing reset.
    EXPECT_EQ(device.droppedBuffers(), 63);
    EXPECT_EQ(device.resets(), 0);
    device.setFlowing(true);
    ASSERT_TRUE(waitUntil([&] { return !player->isRunning(); }));

    Bytes expected(withBefore.begin(), withBefore.begin() + 6 * blockBytes);
    expected.insert(expected.end(), withAfter.begin() + 6 * blockBytes, withAfter.end());
    const Bytes played = device.played();
    EXPECT_EQ(played.size(), expected.size());
    EXPECT_EQ(firstDifference(played, expected), std::string::npos)
        << "block " << firstDifference(played, expected) / blockBytes;
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(PlayerEqualiserTest, WhileTheEndOfASongPlaysBehindTheNextOneItIsOpenedAgainAtThePlaceHeard)
{
    // Two 10 s songs that follow each other without a gap: the second is
    // decoded ahead while the first one's last seconds are queued.
    const std::string first = fixture("list-a.mp3"), second = fixture("list-b.mp3");
    const mp3::EqualiserSetting before = mp3::builtInEqualiser();
    const mp3::EqualiserSetting after = tilted(-9, 9);
    auto both = [&](const mp3::EqualiserSetting& setting) {
        Bytes bytes = decodeWith(first, setting);
        const Bytes next = decodeWith(second, setting);
        bytes.insert(bytes.end(), next.begin(), next.end());
        return bytes;
    };
    const Bytes withBefore = both(before), withAfter = both(after);
    player->setRepeat(Repeat::off);
    player->startPlayerThread(std::vector<std::string>{first, second});
    for (int heard = 0; heard < 80; heard += 40) {
        waitForFullQueue();
        ASSERT_EQ(device.complete(40), 40);
    }
    // The queue full again: the second song's beginning is in it.
    waitForFullQueue();
    ASSERT_GT((80 + 64) * blockBytes, decodeWith(first, before).size());
    player->setEqualiser(after);
    ASSERT_TRUE(waitUntil([&] { return device.droppedBuffers() > 0 && device.queued() == 64; }));
    EXPECT_EQ(device.resets(), 0);
    device.setFlowing(true);
    ASSERT_TRUE(waitUntil([&] { return !player->isRunning(); }));

    Bytes expected(withBefore.begin(), withBefore.begin() + 81 * blockBytes);
    expected.insert(expected.end(), withAfter.begin() + 81 * blockBytes, withAfter.end());
    const Bytes played = device.played();
    EXPECT_EQ(played.size(), expected.size());
    EXPECT_EQ(firstDifference(played, expected), std::string::npos)
        << "block " << firstDifference(played, expected) / blockBytes;
    // The first song was heard once, then the second.
    EXPECT_EQ(readouts.titles(), (std::vector<std::string>{first, second}));
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(PlayerEqualiserTest, TheSettingSavedIsTheFirstSongsAndOneAskedStandsForTheNextStart)
{
    // Before the shell asks for one, each start plays the saved setting.
    settings.set("Pure", 1);
    player->startPlayerThread(demoSong);
    waitForFullQueue();
    player->stopPlayback();
    EXPECT_FALSE(engine().decoder().equaliserOn());
    EXPECT_FALSE(player->equaliser().on);

    const mp3::EqualiserSetting chosen = tilted(-3, 6);
    player->setEqualiser(chosen); // nothing runs: kept for the next start
    settings.set("Pure", 0);
    player->startPlayerThread(demoSong);
    waitForFullQueue();
    player->stopPlayback();
    EXPECT_EQ(engine().decoder().equaliser(), chosen);
    device.setFlowing(true);
}

TEST_F(PlayerEqualiserTest, ASliderMovedWithoutPauseKeepsTheTimelineAndEndsOnItsLastSetting)
{
    const mp3::EqualiserSetting last = tilted(-12, 12);
    const Bytes withLast = decodeWith(demoSong, last);
    // Faster than real time, so that the song is heard to its end soon.
    device.setFlowing(true, std::chrono::microseconds(5000));
    player->setRepeat(Repeat::off);
    player->startPlayerThread(demoSong);
    ASSERT_TRUE(device.waitForWrites(80));
    // A request every millisecond for a while: each returns at once, and
    // the engine takes the newest.
    for (int n = 0; n < 400; ++n) {
        player->setEqualiser(tilted(static_cast<float>(n % 25) - 12, 0));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    player->setEqualiser(last);
    ASSERT_TRUE(waitUntil([&] { return !player->isRunning(); }));
    const Bytes played = device.played();
    // Nothing heard twice or skipped: the song's length exactly, and its
    // end as the last setting makes it.
    ASSERT_EQ(played.size(), withLast.size());
    EXPECT_GT(device.drops(), 1);
    const std::size_t tail = 64 * blockBytes;
    ASSERT_GT(played.size(), tail);
    EXPECT_TRUE(
        std::equal(played.end() - static_cast<long>(tail), played.end(), withLast.end() - static_cast<long>(tail)));
    EXPECT_TRUE(messages.messages().empty());
}
