// The bit reader: bit extraction, frame synchronisation, the main-data
// reservoir, the frame count and seeking.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "BitReader.h"
#include "StreamBuilder.h"
#include "Mp3Decoder.h"

using namespace mp3;
using namespace mp3test;

namespace {

TEST(BitExtraction, EveryWidthReadsTheNextBitsMsbFirst)
{
    std::mt19937 rng(11);
    std::vector<std::uint8_t> bytes(1200);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
    std::unique_ptr<BitReaderState> loaded = loadBits(bytes);
    BitReaderState& reader = *loaded;
    long position = 0;
    auto expected = [&](int n) {
        unsigned v = 0;
        for (int i = 0; i < n; ++i) {
            long bit = position + i;
            v = (v << 1) | ((bytes[static_cast<std::size_t>(bit / 8)] >> (7 - bit % 8)) & 1u);
        }
        return v;
    };
    for (int step = 0; step < 1000; ++step) {
        int n = 1;
        unsigned want = 0, got = 0;
        switch (step % 3) {
        case 0:
            n = static_cast<int>(rng() % 18);
            want = expected(n);
            got = getBits(reader, n);
            break;
        case 1:
            n = static_cast<int>(rng() % 10);
            want = expected(n);
            got = getBitsFast(reader, n);
            break;
        default:
            want = expected(1);
            got = get1Bit(reader);
        }
        ASSERT_EQ(got, want) << "step " << step << ", " << n << " bits at bit " << position;
        position += n;
        ASSERT_EQ(bitsConsumed(reader), position);
    }
}

TEST(BitExtraction, ZeroBitsAndSeventeenBitsAtTheLastBitOfAByte)
{
    std::unique_ptr<BitReaderState> loaded = loadBits({0x01, 0xAB, 0xCD, 0xFF, 0xFF});
    BitReaderState& reader = *loaded;
    EXPECT_EQ(getBits(reader, 7), 0u);
    EXPECT_EQ(getBits(reader, 0), 0u);
    EXPECT_EQ(bitsConsumed(reader), 7);
    EXPECT_EQ(getBits(reader, 17), 0x1ABCDu);
    EXPECT_EQ(reader.bytePointer, reader.currentBuffer + 3);
    EXPECT_EQ(reader.bitIndex, 0);
}

std::vector<std::uint8_t> markedFrame(HeaderWord h, std::uint8_t marker, int rate = 44100)
{
    return frameBytes(h, std::vector<std::uint8_t>(2000, marker), rate);
}

class FrameSync : public ::testing::Test {
protected:
    void TearDown() override { closeStream(reader()); }

    BitReaderState& reader() { return *readerState; }
    void open()
    {
        openMemoryStream(reader(), data.data(), data.size());
        resetSync(reader());
    }
    // The first byte of the body just read, which names the frame in these streams.
    int marker() const { return readerState->currentBuffer[0]; }

    std::unique_ptr<BitReaderState> readerState = std::make_unique<BitReaderState>();
    std::vector<std::uint8_t> data;
    FrameHeader header;
};

TEST_F(FrameSync, AHeaderAtTheStartIsReadWithoutSearching)
{
    append(data, markedFrame(jointStereo128, 1));
    append(data, markedFrame(jointStereo128, 2));
    open();
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    EXPECT_EQ(header.headerChange, 2);
    EXPECT_EQ(header.frameSize, 413);
    EXPECT_EQ(marker(), 1);
    EXPECT_EQ(reader().currentBuffer[412], 1);
    EXPECT_EQ(reader().bytePointer, reader().currentBuffer);
    EXPECT_EQ(reader().bitIndex, 0);
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    EXPECT_EQ(header.headerChange, 0);
    EXPECT_EQ(marker(), 2);
    EXPECT_EQ(readFrame(reader(), header), FrameRead::end);
}

std::vector<std::uint8_t> junkThenFrame(std::size_t junk)
{
    std::vector<std::uint8_t> data(junk, 0x00);
    append(data, markedFrame(jointStereo128, 7));
    return data;
}

TEST_F(FrameSync, JunkOf32768BytesIsSkipped)
{
    // n zero bytes in front: the words at offsets 1..n-1 are counted, and the
    // search gives up at the 32768th.
    data = junkThenFrame(32768);
    open();
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    EXPECT_EQ(marker(), 7);
}

TEST_F(FrameSync, OneMoreJunkByteIsNotAValidMp3File)
{
    data = junkThenFrame(32769);
    open();
    EXPECT_EQ(readFrame(reader(), header), FrameRead::notMp3);
}

TEST_F(FrameSync, CandidatesStartingWithTwoFFBytesAreNotCounted)
{
    data.assign(30000, 0x00);
    data.insert(data.end(), 60000, 0xFF);
    append(data, markedFrame(jointStereo128, 7));
    open();
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    EXPECT_EQ(marker(), 7);
}

TEST_F(FrameSync, AllFFJunkUpToTheEndGivesNoFrameAndAloneIsNoSong)
{
    append(data, markedFrame(jointStereo128, 1));
    data.insert(data.end(), 70000, 0xFF);
    open();
    EXPECT_EQ(readFrame(reader(), header), FrameRead::frame);
    EXPECT_EQ(readFrame(reader(), header), FrameRead::end);

    data.assign(70000, 0xFF);
    open();
    EXPECT_EQ(readFrame(reader(), header), FrameRead::notMp3);
}

TEST_F(FrameSync, HeaderChangeKinds)
{
    const HeaderWord bitrate160 = 0xFFFBA064u;
    const HeaderWord stereoMode = 0xFFFBA004u;
    const HeaderWord dualChannel = 0xFFFBA084u;
    const HeaderWord withCrc = 0xFFFAA084u;
    const std::pair<HeaderWord, int> sequence[] = {{jointStereo128, 2}, {jointStereo128, 0}, {bitrate160, 1},
                                                   {stereoMode, 2},     {stereoMode, 0},     {dualChannel, 2},
                                                   {mono128, 1},        {withCrc, 1}};
    std::uint8_t m = 1;
    for (const auto& s : sequence) append(data, markedFrame(s.first, m++));
    open();
    m = 1;
    for (const auto& s : sequence) {
        ASSERT_EQ(readFrame(reader(), header), FrameRead::frame) << int(m);
        EXPECT_EQ(header.headerChange, s.second) << "frame " << int(m);
        EXPECT_EQ(marker(), m++);
    }
}

TEST_F(FrameSync, AfterLostSyncTheChangeComesFromTheDamagedWord)
{
    append(data, markedFrame(jointStereo128, 1));
    // Sample-rate bits 10 in a word without sync, then the same header again
    // (a frame that another follows, so it counts).
    append(data, {0x12, 0x34, 0x08, 0x40, 0x00, 0x00});
    append(data, markedFrame(jointStereo128, 2));
    append(data, markedFrame(jointStereo128, 2));
    // A damaged word with the same rate bits and a non-stereo mode.
    append(data, {0x00, 0x00, 0x00, 0x40, 0x00});
    append(data, markedFrame(jointStereo128, 3));
    open();
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    EXPECT_EQ(marker(), 2);
    EXPECT_EQ(header.headerChange, 2);
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    EXPECT_EQ(header.headerChange, 0);
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    EXPECT_EQ(marker(), 3);
    EXPECT_EQ(header.headerChange, 1);
}

TEST_F(FrameSync, ALostStreamEndsAfter32768Bytes)
{
    append(data, markedFrame(jointStereo128, 1));
    data.insert(data.end(), 40000, 0x00);
    append(data, markedFrame(jointStereo128, 2));
    open();
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    EXPECT_EQ(readFrame(reader(), header), FrameRead::end);
}

TEST_F(FrameSync, ATruncatedLastFrameIsZeroFilled)
{
    append(data, markedFrame(jointStereo128, 1));
    append(data, markedFrame(jointStereo128, 2));
    std::vector<std::uint8_t> last = markedFrame(jointStereo128, 3);
    last.resize(4 + 100);
    append(data, last);
    open();
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    // The third frame goes into the buffer that held the first one.
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    EXPECT_EQ(reader().currentBuffer[99], 3);
    for (int i = 100; i < 413; ++i) ASSERT_EQ(reader().currentBuffer[i], 0) << i;
}

TEST_F(FrameSync, AFileEndingRightAfterAHeaderHasNoFrame)
{
    append(data, markedFrame(jointStereo128, 1));
    data.resize(data.size() + 4);
    std::copy(data.begin(), data.begin() + 4, data.end() - 4);
    open();
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    EXPECT_EQ(readFrame(reader(), header), FrameRead::end);
}

TEST_F(FrameSync, ALaterHeaderWithBitrateBits1111IsTakenAsLostSync)
{
    append(data, markedFrame(jointStereo128, 1));
    append(data, {0xFF, 0xFB, 0xF0, 0x64, 0x00, 0x00, 0x00});
    append(data, markedFrame(jointStereo128, 2));
    open();
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    EXPECT_EQ(marker(), 2);
    EXPECT_EQ(header.frameSize, 413);
}

std::vector<std::uint8_t> id3Tag(std::uint32_t size, bool footer)
{
    std::vector<std::uint8_t> tag = {'I',
                                     'D',
                                     '3',
                                     static_cast<std::uint8_t>(footer ? 4 : 3),
                                     0,
                                     static_cast<std::uint8_t>(footer ? 0x10 : 0),
                                     static_cast<std::uint8_t>((size >> 21) & 0x7F),
                                     static_cast<std::uint8_t>((size >> 14) & 0x7F),
                                     static_cast<std::uint8_t>((size >> 7) & 0x7F),
                                     static_cast<std::uint8_t>(size & 0x7F)};
    // Headers and frame-like bytes all through the tag and its footer.
    for (std::uint32_t i = 0; i < size + (footer ? 10 : 0); ++i) {
        static const std::uint8_t pattern[] = {0xFF, 0xFB, 0x90, 0x64, 0xEE, 0x00};
        tag.push_back(pattern[i % 6]);
    }
    return tag;
}

TEST_F(FrameSync, AnId3v2TagIsSkippedByItsSize)
{
    for (bool footer : {false, true}) {
        SCOPED_TRACE(footer ? "with footer" : "without footer");
        readerState = std::make_unique<BitReaderState>();
        data = id3Tag(40000, footer);
        append(data, markedFrame(jointStereo128, 5));
        append(data, markedFrame(jointStereo128, 6));
        append(data, markedFrame(jointStereo128, 7));
        open();
        EXPECT_EQ(reader().audioStart, 10u + 40000u + (footer ? 10u : 0u));
        ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
        EXPECT_EQ(marker(), 5);
        EXPECT_EQ(header.headerChange, 2);
        ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
        EXPECT_EQ(marker(), 6);
        // Three frames of 417 bytes, 417.96 bytes each by the nominal rate.
        EXPECT_EQ(frameCount(reader(), header), 2);
        closeStream(reader());
    }
}

TEST_F(FrameSync, SeekingCountsFromTheEndOfTheTag)
{
    data = id3Tag(40000, false);
    for (std::uint8_t m = 0; m < 20; ++m) append(data, markedFrame(jointStereo128, m));
    open();
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    EXPECT_EQ(frameCount(reader(), header), 19);
    // The same targets as in a stream without the tag.
    ASSERT_TRUE(seekFrame(reader(), header, 15));
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    EXPECT_EQ(marker(), 18);
    ASSERT_TRUE(seekFrame(reader(), header, 0));
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    EXPECT_EQ(marker(), 2);
    EXPECT_FALSE(seekFrame(reader(), header, 16));
}

std::vector<std::uint8_t> patternedBody(std::uint8_t seed)
{
    std::vector<std::uint8_t> body(413);
    for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<std::uint8_t>(seed + 7 * i);
    return body;
}

TEST_F(FrameSync, MainDataStartCopiesTheReservoirAcrossFrames)
{
    for (std::uint8_t seed : {10, 20, 30}) append(data, frameBytes(jointStereo128, patternedBody(seed)));
    open();
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    setMainDataStart(reader(), 0);
    EXPECT_EQ(reader().bytePointer, reader().currentBuffer + 32);

    // The main-data stream so far: frame 1's body after its side information,
    // then each later frame's.
    const std::vector<std::uint8_t> body1 = patternedBody(10);
    std::vector<std::uint8_t> stream(body1.begin() + 32, body1.end());
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    setMainDataStart(reader(), 300);
    std::vector<std::uint8_t> body2 = patternedBody(20);
    stream.insert(stream.end(), body2.begin() + 32, body2.end());
    EXPECT_EQ(reader().bytePointer, reader().currentBuffer + 32 - 300);
    EXPECT_EQ(reader().bitIndex, 0);
    EXPECT_TRUE(std::equal(reader().bytePointer, reader().bytePointer + 300 + 381, stream.end() - 300 - 381));

    // A back step of 500 reaches through frame 2 into frame 1's bytes.
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    setMainDataStart(reader(), 500);
    EXPECT_TRUE(std::equal(reader().bytePointer, reader().bytePointer + 500, stream.end() - 500));
    std::vector<std::uint8_t> body3 = patternedBody(30);
    EXPECT_TRUE(std::equal(reader().bytePointer + 500, reader().bytePointer + 500 + 381, body3.begin() + 32));
}

class Seeking : public FrameSync {
protected:
    void SetUp() override
    {
        FrameSync::SetUp();
        for (std::uint8_t m = 0; m < frames; ++m) append(data, markedFrame(jointStereo128, m));
        open();
        ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
        ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    }
    static constexpr int frames = 20;
    const double bytesPerFrame = 128 * 144000.0 / 44100;
};

TEST_F(Seeking, FrameCountDividesTheSizeByTheNominalFrameLength)
{
    EXPECT_EQ(frameCount(reader(), header), static_cast<std::int64_t>(frames * 417 / bytesPerFrame));
    EXPECT_EQ(frameCount(reader(), header), 19);
}

TEST_F(Seeking, FrameZeroResumesWithTheThirdFrameAndClearsTheReservoir)
{
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    ASSERT_TRUE(seekFrame(reader(), header, 0));
    for (int i = 0; i < 2 * BitReaderState::bufferSize; ++i) ASSERT_EQ(reader().storage[i], 0) << i;
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    EXPECT_EQ(marker(), 2);
}

TEST_F(Seeking, ATargetFindsTheNextHeaderAtOrAfterItsEstimatedOffset)
{
    // Frame 15 is estimated at 15 x (b + 8) = 6389 bytes: inside frame 15,
    // so the first header found is frame 16's.
    ASSERT_TRUE(seekFrame(reader(), header, 15));
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    EXPECT_EQ(marker(), 18);
}

TEST_F(Seeking, ATargetWithinFourFramesOfTheEndIsRefusedAndThePositionKept)
{
    // 16 x (b + 8) = 6815 > 8340 - 4b = 6668.
    EXPECT_FALSE(seekFrame(reader(), header, 16));
    EXPECT_FALSE(seekFrame(reader(), header, 1000));
    ASSERT_EQ(readFrame(reader(), header), FrameRead::frame);
    EXPECT_EQ(marker(), 2);
}

TEST_F(Seeking, NothingToSeekWithoutAFile)
{
    closeStream(reader());
    EXPECT_FALSE(seekFrame(reader(), header, 0));
}

} // namespace

namespace {

TEST(FileInput, ReadsInBufferedPiecesAndRefusesSeeksPastTheEnd)
{
    // Larger than the stream's own buffer, so reads cross refills.
    std::vector<std::uint8_t> bytes(70000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    std::string path = ::testing::TempDir() + "/input-stream-test.bin";
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
        std::fclose(f);
    }
    InputStream in;
    ASSERT_TRUE(in.openFile(path.c_str()));
    EXPECT_EQ(in.size(), bytes.size());
    std::vector<std::uint8_t> got(40000);
    ASSERT_EQ(in.read(got.data(), got.size()), got.size());
    EXPECT_TRUE(std::equal(got.begin(), got.end(), bytes.begin()));
    ASSERT_TRUE(in.seek(69990));
    EXPECT_EQ(in.read(got.data(), 100), 10u);
    EXPECT_EQ(got[9], bytes[69999]);
    EXPECT_EQ(in.read(got.data(), 1), 0u);
    EXPECT_TRUE(in.seek(bytes.size()));
    EXPECT_EQ(in.read(got.data(), 1), 0u);
    EXPECT_FALSE(in.seek(bytes.size() + 1));
    EXPECT_EQ(in.position(), bytes.size());
    ASSERT_TRUE(in.seek(12345));
    ASSERT_EQ(in.read(got.data(), 3), 3u);
    EXPECT_EQ(got[0], bytes[12345]);
    EXPECT_EQ(in.position(), 12348u);
    in.close();
    std::remove(path.c_str());
}

} // namespace
