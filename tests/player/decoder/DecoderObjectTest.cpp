// Each Decoder is a stream of its own: two at once, on two threads or taking
// turns on one, sound exactly as each does alone; and bytes that are no MP3
// are a result, not an exception.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "DecodeHelpers.h"
#include "Mp3Decoder.h"

using namespace mp3test;

namespace {

std::vector<std::uint8_t> fixtureBytes(const char* name)
{
    return readFile(testDataDir() + "/mp3/" + name);
}

TEST(DecoderObjects, TwoOnTwoThreadsGiveWhatEachGivesAlone)
{
    // Different files and different settings: the equaliser, gapless
    // trimming and the header frame's table are each decoder's own.
    const std::vector<std::uint8_t> first = fixtureBytes("varied-v2.mp3");
    const std::vector<std::uint8_t> second = fixtureBytes("joint-128.mp3");
    const DecodeResult firstAlone = decodeBytes(first, true, true);
    const DecodeResult secondAlone = decodeBytes(second, false, false);
    ASSERT_EQ(firstAlone.error, "");
    ASSERT_FALSE(firstAlone.samples.empty());
    ASSERT_FALSE(secondAlone.samples.empty());
    ASSERT_NE(firstAlone.samples.size(), secondAlone.samples.size());

    constexpr int rounds = 4;
    std::vector<DecodeResult> firstTogether(rounds), secondTogether(rounds);
    std::thread a([&] {
        for (auto& result : firstTogether) result = decodeBytes(first, true, true);
    });
    std::thread b([&] {
        for (auto& result : secondTogether) result = decodeBytes(second, false, false);
    });
    a.join();
    b.join();
    for (int i = 0; i < rounds; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(firstTogether[i].samples, firstAlone.samples);
        EXPECT_EQ(secondTogether[i].samples, secondAlone.samples);
        EXPECT_EQ(firstTogether[i].frames, firstAlone.frames);
        EXPECT_EQ(secondTogether[i].frames, secondAlone.frames);
    }
}

// Decodes with its own settings and collects everything, a frame per call.
struct TurnTaker {
    TurnTaker(const std::vector<std::uint8_t>& bytes, bool equaliser)
    {
        decoder.setEqualiser(equaliser);
        decoder.setGapless(false);
        decoder.openSongInMemory(bytes.data(), bytes.size());
    }
    // False once the stream is over.
    bool step()
    {
        if (decoder.nextFrame(header) != mp3::FrameRead::frame) return false;
        decoder.decodeFrame(header, sink);
        return true;
    }
    std::vector<std::int16_t> finish()
    {
        decoder.endStream();
        decoder.flushPcm(sink);
        decoder.closeSong();
        std::vector<std::int16_t> samples(sink.bytes.size() / 2);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<std::int16_t>(sink.bytes[2 * i] | (sink.bytes[2 * i + 1] << 8));
        return samples;
    }

    mp3::Decoder decoder;
    mp3::FrameHeader header;
    RecordingSink sink;
};

TEST(DecoderObjects, TwoTakingTurnsOnOneThreadGiveWhatEachGivesAlone)
{
    // The same song twice, one with the equaliser: any state shared between
    // them would show in both.
    const std::vector<std::uint8_t> song = fixtureBytes("joint-128.mp3");
    const std::vector<std::uint8_t> other = fixtureBytes("varied-is.mp3");
    TurnTaker shaped(song, true), pure(song, false), third(other, false);
    bool going = true;
    while (going) {
        going = false;
        going |= shaped.step();
        going |= pure.step();
        going |= third.step();
    }
    const std::vector<std::int16_t> shapedSamples = shaped.finish();
    EXPECT_EQ(shapedSamples, decodeBytes(song, true).samples);
    EXPECT_EQ(pure.finish(), decodeBytes(song, false).samples);
    EXPECT_EQ(third.finish(), decodeBytes(other, false).samples);
    EXPECT_NE(shapedSamples, decodeBytes(song, false).samples);
}

TEST(DecoderObjects, ANewDecoderIsInItsStartStateWhateverAnotherHasDone)
{
    const std::vector<std::uint8_t> song = fixtureBytes("stereo-128.mp3");
    mp3::Decoder used;
    used.setEqualiser(true);
    used.setGapless(false);
    used.openSongInMemory(song.data(), song.size());
    mp3::FrameHeader header;
    ASSERT_EQ(used.nextFrame(header), mp3::FrameRead::frame);
    RecordingSink sink;
    used.decodeFrame(header, sink);
    ASSERT_GT(used.heldPcmBytes(), 0);

    mp3::Decoder fresh;
    EXPECT_FALSE(fresh.equaliserOn());
    EXPECT_EQ(fresh.heldPcmBytes(), 0);
    EXPECT_EQ(fresh.skippedFrames(), 0);
    EXPECT_EQ(fresh.headerFrame().kind, mp3::HeaderFrame::Kind::none);
    // Moved into, a decoder takes the state it is given.
    used = mp3::Decoder();
    EXPECT_FALSE(used.equaliserOn());
    EXPECT_EQ(used.heldPcmBytes(), 0);
}

TEST(DecoderObjects, BytesThatAreNoMp3AreAResultNotAnException)
{
    auto firstRead = [](const std::vector<std::uint8_t>& bytes) {
        mp3::Decoder decoder;
        decoder.openSongInMemory(bytes.data(), bytes.size());
        mp3::FrameHeader header;
        return decoder.nextFrame(header);
    };
    const std::string text = "Dear listener,\nthis is a letter.\n";
    EXPECT_EQ(firstRead(std::vector<std::uint8_t>(text.begin(), text.end())), mp3::FrameRead::notMp3);
    // Too much junk before the first frame.
    std::vector<std::uint8_t> junk(32769, 0x00);
    const std::vector<std::uint8_t> song = fixtureBytes("stereo-128.mp3");
    junk.insert(junk.end(), song.begin(), song.end());
    EXPECT_EQ(firstRead(junk), mp3::FrameRead::notMp3);
    // No bytes at all are simply over, and a song is a frame.
    EXPECT_EQ(firstRead({}), mp3::FrameRead::end);
    EXPECT_EQ(firstRead(song), mp3::FrameRead::frame);
    // The words that go with the verdict.
    EXPECT_EQ(decodeBytes(junk).error, "Not a valid MP3 file");
}

} // namespace
