// Header frames (Xing, Info, LAME tag, VBRI), the lengths they give, seeking
// by their table of contents and gapless trimming, on bodies built here and
// on the lame fixtures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "BitReader.h"
#include "DecoderState.h"
#include "DecodeHelpers.h"
#include "FrameDamage.h"
#include "HeaderFrame.h"
#include "Mp3Decoder.h"
#include "SongLength.h"
#include "StreamBuilder.h"

using namespace mp3;
using namespace mp3test;
using streamtest::frameOffsets;

namespace {

// The varied fixtures hold this many sample frames of input.
constexpr std::int64_t variedInput = 88977;

FrameHeader stereoHeader()
{
    FrameHeader h;
    h.channels = 2;
    h.layer = 3;
    h.bitrateIndex = 9;
    h.frameSize = 413;
    return h;
}

void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v)
{
    for (std::size_t i = 0; i < 4; ++i) b.at(at + i) = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

struct XingFields {
    const char* tag = "Xing";
    bool frames = true, bytes = true, toc = true, quality = true, lame = true;
    std::uint32_t frameCount = 1000;
    std::uint32_t byteCount = 400000;
    int delay = 576, padding = 1234;
};

// A 413-byte body: 32 bytes of side information, then the header as laid out.
std::vector<std::uint8_t> xingBody(const XingFields& f)
{
    std::vector<std::uint8_t> b(413, 0);
    std::size_t p = 32;
    std::memcpy(&b[p], f.tag, 4);
    put32(b, p + 4, (f.frames ? 1u : 0u) | (f.bytes ? 2u : 0u) | (f.toc ? 4u : 0u) | (f.quality ? 8u : 0u));
    p += 8;
    if (f.frames) put32(b, p, f.frameCount), p += 4;
    if (f.bytes) put32(b, p, f.byteCount), p += 4;
    if (f.toc) {
        for (int i = 0; i < 100; ++i) b[p + i] = static_cast<std::uint8_t>(i * 256 / 100);
        p += 100;
    }
    if (f.quality) put32(b, p, 78), p += 4;
    if (f.lame) {
        std::memcpy(&b[p], "LAME3.100", 9);
        std::uint32_t both = (static_cast<std::uint32_t>(f.delay) << 12) | static_cast<std::uint32_t>(f.padding);
        b[p + 21] = static_cast<std::uint8_t>(both >> 16);
        b[p + 22] = static_cast<std::uint8_t>(both >> 8);
        b[p + 23] = static_cast<std::uint8_t>(both);
    }
    return b;
}

HeaderFrame parse(const std::vector<std::uint8_t>& body, std::uint64_t streamBytes = 500000)
{
    return parseHeaderFrame(stereoHeader(), body.data(), body.size(), 100, streamBytes);
}

TEST(HeaderFrameParsing, XingWithEveryFieldAndALameTag)
{
    HeaderFrame h = parse(xingBody({}));
    EXPECT_EQ(h.kind, HeaderFrame::Kind::xing);
    EXPECT_EQ(h.offset, 100u);
    EXPECT_EQ(h.frames, 1000);
    EXPECT_EQ(h.bytes, 400000u);
    ASSERT_TRUE(h.hasToc);
    // Entry i is i * 256 / 100 in 256ths of the byte count.
    EXPECT_EQ(h.tocPositions[0], 0u);
    EXPECT_EQ(h.tocPositions[50], 128u * 400000 / 256);
    EXPECT_EQ(h.tocPositions[100], 400000u);
    ASSERT_TRUE(h.hasGaplessInfo);
    EXPECT_EQ(h.encoderDelay, 576);
    EXPECT_EQ(h.encoderPadding, 1234);
}

TEST(HeaderFrameParsing, EachOptionalFieldMayBeMissing)
{
    XingFields noFrames;
    noFrames.frames = false;
    HeaderFrame h = parse(xingBody(noFrames));
    EXPECT_EQ(h.kind, HeaderFrame::Kind::xing);
    EXPECT_EQ(h.frames, 0);
    EXPECT_EQ(h.bytes, 400000u);
    // A table and a gapless tag need a frame count to mean anything.
    EXPECT_FALSE(h.hasToc);
    EXPECT_FALSE(h.hasGaplessInfo);

    XingFields noBytes;
    noBytes.bytes = false;
    h = parse(xingBody(noBytes), 300000);
    EXPECT_EQ(h.frames, 1000);
    EXPECT_EQ(h.bytes, 300000u); // the rest of the stream
    EXPECT_EQ(h.tocPositions[100], 300000u);
    EXPECT_EQ(h.encoderPadding, 1234); // the tag is found after the fields present

    XingFields noToc;
    noToc.toc = false;
    h = parse(xingBody(noToc));
    EXPECT_FALSE(h.hasToc);
    EXPECT_EQ(h.encoderDelay, 576);

    XingFields noQuality;
    noQuality.quality = false;
    h = parse(xingBody(noQuality));
    EXPECT_TRUE(h.hasToc);
    EXPECT_EQ(h.encoderDelay, 576);

    XingFields noTag;
    noTag.lame = false;
    h = parse(xingBody(noTag));
    EXPECT_EQ(h.frames, 1000);
    EXPECT_FALSE(h.hasGaplessInfo);

    XingFields none;
    none.frames = none.bytes = none.toc = none.quality = false;
    h = parse(xingBody(none));
    EXPECT_EQ(h.kind, HeaderFrame::Kind::xing);
    EXPECT_EQ(h.frames, 0);
}

TEST(HeaderFrameParsing, InfoIsTheConstantBitrateName)
{
    XingFields info;
    info.tag = "Info";
    EXPECT_EQ(parse(xingBody(info)).kind, HeaderFrame::Kind::info);
    // Audio is no header frame.
    std::vector<std::uint8_t> audio(413, 0x5A);
    EXPECT_EQ(parse(audio).kind, HeaderFrame::Kind::none);
    // Nor is a tag at the wrong place.
    std::vector<std::uint8_t> shifted = xingBody({});
    shifted.insert(shifted.begin(), 0);
    shifted.pop_back();
    EXPECT_EQ(parse(shifted).kind, HeaderFrame::Kind::none);
}

TEST(HeaderFrameParsing, VbriGivesTheFrameCountAndATableFromItsSegments)
{
    std::vector<std::uint8_t> b(413, 0);
    std::memcpy(&b[32], "VBRI", 4);
    auto put16 = [&](std::size_t at, unsigned v) {
        b[at] = static_cast<std::uint8_t>(v >> 8);
        b[at + 1] = static_cast<std::uint8_t>(v);
    };
    put32(b, 32 + 10, 100000); // bytes
    put32(b, 32 + 14, 400);    // frames
    put16(32 + 18, 4);         // entries
    put16(32 + 20, 2);         // scale
    put16(32 + 22, 2);         // bytes per entry
    put16(32 + 24, 100);       // frames per entry
    for (int k = 0; k < 4; ++k)
        put16(32 + 26 + 2 * static_cast<std::size_t>(k), 10000 + 1000 * static_cast<unsigned>(k));
    HeaderFrame h = parse(b);
    EXPECT_EQ(h.kind, HeaderFrame::Kind::vbri);
    EXPECT_EQ(h.frames, 400);
    EXPECT_EQ(h.bytes, 100000u);
    ASSERT_TRUE(h.hasToc);
    // The audio starts after this 417-byte frame; 25 % is frame 100, after
    // the first segment of 2 x 10000 bytes, and 50 % after 20000 + 22000.
    EXPECT_EQ(h.tocPositions[0], 417u);
    EXPECT_EQ(h.tocPositions[25], 417u + 20000);
    EXPECT_EQ(h.tocPositions[50], 417u + 42000);
    EXPECT_EQ(h.tocPositions[10], 417u + 8000); // 40 of the first 100 frames
    EXPECT_FALSE(h.hasGaplessInfo);
}

TEST(HeaderFrameParsing, LyingCountsAndTablesAreLeftOut)
{
    XingFields zero;
    zero.frameCount = 0;
    HeaderFrame h = parse(xingBody(zero));
    EXPECT_EQ(h.kind, HeaderFrame::Kind::xing);
    EXPECT_EQ(h.frames, 0);
    EXPECT_FALSE(h.hasToc);

    // More frames than the stream could hold at the smallest frame size.
    XingFields huge;
    huge.frameCount = 0xFFFFFFFFu;
    EXPECT_EQ(parse(xingBody(huge)).frames, 0);
    huge.frameCount = 500000 / 24 + 1;
    EXPECT_EQ(parse(xingBody(huge)).frames, 0);
    huge.frameCount = 500000 / 24;
    EXPECT_EQ(parse(xingBody(huge)).frames, 500000 / 24);

    XingFields tooManyBytes;
    tooManyBytes.byteCount = 600000;
    EXPECT_EQ(parse(xingBody(tooManyBytes)).bytes, 500000u);

    std::vector<std::uint8_t> falling = xingBody({});
    falling[32 + 8 + 4 + 4 + 60] = 10; // entry 60 below entry 59
    h = parse(falling);
    EXPECT_EQ(h.frames, 1000);
    EXPECT_FALSE(h.hasToc);

    // Delay and padding longer than the whole stream.
    XingFields longTag;
    longTag.frameCount = 2;
    longTag.delay = 1200;
    longTag.padding = 1200;
    EXPECT_FALSE(parse(xingBody(longTag)).hasGaplessInfo);

    // A body cut inside its fields.
    std::vector<std::uint8_t> cut = xingBody({});
    cut.resize(32 + 8 + 4 + 4 + 50);
    h = parse(cut);
    EXPECT_EQ(h.frames, 1000);
    EXPECT_FALSE(h.hasToc);
    EXPECT_FALSE(h.hasGaplessInfo);
}

TEST(SongLengthEstimate, FramesAtThirtyEightPointTwoEightASecondTruncated)
{
    EXPECT_EQ(estimateSongSeconds(0), 0);
    EXPECT_EQ(estimateSongSeconds(38), 0);
    EXPECT_EQ(estimateSongSeconds(39), 1);
    EXPECT_EQ(estimateSongSeconds(38280), 1000);
    EXPECT_EQ(estimateSongSeconds(38279), 999);
    EXPECT_EQ(estimateSongSeconds(3828000), 100000);
    // The low 32 bits, taken as signed.
    EXPECT_EQ(estimateSongSeconds((std::int64_t(1) << 32) + 38280), 1000);
    EXPECT_EQ(estimateSongSeconds(0xFFFFFFFFll), 0);
}

// Opens a fixture and reads its first audio frame.
struct OpenedSong {
    std::vector<std::uint8_t> bytes;
    Decoder decoder;
    FrameHeader header;
    explicit OpenedSong(const std::string& name) : bytes(readFile(testDataDir() + "/mp3/" + name))
    {
        decoder.openSongInMemory(bytes.data(), bytes.size());
        EXPECT_EQ(decoder.nextFrame(header), FrameRead::frame);
    }
    ~OpenedSong() { decoder.closeSong(); }
    // Where the decoder's input stands.
    std::uint64_t position() { return stateOf(decoder).reader.stream.position(); }
};

struct LengthCase {
    const char* name;
    bool fromHeaderFrame;
};
void PrintTo(const LengthCase& c, std::ostream* os)
{
    *os << c.name;
}

class FixtureLength : public ::testing::TestWithParam<LengthCase> {};

TEST_P(FixtureLength, ComesFromTheHeaderFrameWhenThereIsOne)
{
    OpenedSong song(GetParam().name);
    StreamLength length = song.decoder.streamLength(song.header);
    EXPECT_EQ(length.fromHeaderFrame, GetParam().fromHeaderFrame);
    if (length.fromHeaderFrame) {
        EXPECT_EQ(length.samples, variedInput);
        EXPECT_NEAR(length.seconds, variedInput / 44100.0, 1e-9);
        EXPECT_EQ(length.wholeSeconds, 2);
        EXPECT_EQ(song.decoder.headerFrame().encoderDelay, 576);
    } else {
        // The estimate as before: the file size over the first frame's bytes.
        double perFrame = bitrateKbps(song.header) * 144000.0 / 44100.0;
        EXPECT_EQ(length.frames, static_cast<std::int64_t>(static_cast<double>(song.bytes.size()) / perFrame));
        EXPECT_EQ(length.wholeSeconds, estimateSongSeconds(length.frames));
    }
}

INSTANTIATE_TEST_SUITE_P(Lame, FixtureLength,
                         ::testing::Values(LengthCase{"varied-cbr-128.mp3", true},
                                           LengthCase{"varied-cbr-128-notag.mp3", false},
                                           LengthCase{"varied-v0.mp3", true}, LengthCase{"varied-v2.mp3", true},
                                           LengthCase{"varied-v5.mp3", true}, LengthCase{"varied-v2-notag.mp3", false},
                                           LengthCase{"varied-abr-160.mp3", true}),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             name = name.substr(0, name.size() - 4);
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });

TEST(StreamBitrate, IsTheAverageWhenTheHeaderFrameGivesFramesAndBytes)
{
    int differFromTheFirstFrame = 0;
    for (const char* name : {"varied-v0.mp3", "varied-v2.mp3", "varied-v5.mp3", "varied-abr-160.mp3",
                             "varied-cbr-128.mp3", "vbr-v2.mp3"}) {
        SCOPED_TRACE(name);
        OpenedSong song(name);
        // The audio is every frame after the header frame.
        const std::vector<std::size_t> offsets = frameOffsets(song.bytes);
        const double audioBytes = static_cast<double>(offsets.back() - offsets[1]);
        const double seconds = static_cast<double>(offsets.size() - 2) * 1152 / 44100;
        const int average = static_cast<int>(std::lround(audioBytes * 8 / seconds / 1000));
        EXPECT_EQ(song.decoder.streamBitrateKbps(song.header), average);
        if (average != bitrateKbps(song.header)) ++differFromTheFirstFrame;
    }
    EXPECT_GE(differFromTheFirstFrame, 3);
    for (const char* name : {"varied-cbr-128-notag.mp3", "varied-v2-notag.mp3"}) {
        OpenedSong song(name);
        EXPECT_EQ(song.decoder.streamBitrateKbps(song.header), bitrateKbps(song.header)) << name;
    }
}

TEST(StreamBitrate, WithoutAByteCountOrWithOneThatCannotBeTrueItIsTheFirstFrames)
{
    // A header frame, a first frame at 224 kbit/s and nine at 48.
    const HeaderWord at224 = 0xFFFBC064u, at48 = 0xFFFB3064u;
    auto stream = [&](XingFields fields) {
        std::vector<std::uint8_t> bytes = frameBytes(jointStereo128, xingBody(fields));
        append(bytes, frameBytes(at224, {}));
        for (int f = 0; f < 9; ++f) append(bytes, frameBytes(at48, {}));
        return bytes;
    };
    auto readout = [](const std::vector<std::uint8_t>& bytes) {
        Decoder decoder;
        decoder.openSongInMemory(bytes.data(), bytes.size());
        FrameHeader header;
        EXPECT_EQ(decoder.nextFrame(header), FrameRead::frame);
        int kbps = decoder.streamBitrateKbps(header);
        decoder.closeSong();
        return kbps;
    };
    XingFields given;
    given.toc = false;
    given.frameCount = 10;
    given.byteCount = static_cast<std::uint32_t>(stream(given).size());
    // 731 + 9 x 156 audio bytes in 10 frames of 1152 samples: 65.4 kbit/s.
    EXPECT_EQ(readout(stream(given)), 65);
    XingFields noBytes = given;
    noBytes.bytes = false;
    EXPECT_EQ(readout(stream(noBytes)), 224);
    XingFields tooFewFrames = given;
    tooFewFrames.frameCount = 1;
    EXPECT_EQ(readout(stream(tooFewFrames)), 224);
}

TEST(HeaderFrameDecoding, TheHeaderFrameIsNoAudioAndTheTrimmingIsExact)
{
    for (const char* name : {"varied-cbr-128.mp3", "varied-v0.mp3", "varied-v2.mp3", "varied-v5.mp3",
                             "varied-abr-160.mp3", "joint-128.mp3", "crc-128.mp3"}) {
        SCOPED_TRACE(name);
        std::vector<std::uint8_t> bytes = readFile(testDataDir() + "/mp3/" + name);
        DecodeResult all = decodeBytes(bytes, false, false);
        DecodeResult trimmed = decodeBytes(bytes, false, true);
        ASSERT_EQ(all.error, "");
        OpenedSong song(name);
        const HeaderFrame facts = song.decoder.headerFrame();
        ASSERT_TRUE(facts.hasGaplessInfo);
        // Every frame after the header frame is audio, and only those.
        EXPECT_EQ(all.frames, facts.frames);
        EXPECT_EQ(all.samples.size(), static_cast<std::size_t>(facts.frames) * 1152 * 2);
        // Exactly the samples that went into the encoder, from after its
        // delay and the filterbank's.
        std::size_t input = static_cast<std::size_t>(facts.frames * 1152 - facts.encoderDelay - facts.encoderPadding);
        EXPECT_EQ(input, std::string(name).find("varied") == 0 ? std::size_t(variedInput) : 44100u);
        ASSERT_EQ(trimmed.samples.size(), 2 * input);
        std::size_t skip = 2 * static_cast<std::size_t>(facts.encoderDelay + synthesisDelaySamples);
        EXPECT_TRUE(std::equal(trimmed.samples.begin(), trimmed.samples.end(),
                               all.samples.begin() + static_cast<std::ptrdiff_t>(skip)));
    }
}

// The byte position that the table gives for a fraction, as a reader of the
// published layout would work it out.
std::size_t tablePosition(const std::vector<std::uint8_t>& bytes, double fraction)
{
    std::size_t xing = 4 + 32;
    auto be32 = [&](std::size_t at) {
        return (std::size_t(bytes[at]) << 24) | (std::size_t(bytes[at + 1]) << 16) | (std::size_t(bytes[at + 2]) << 8) |
               bytes[at + 3];
    };
    double total = static_cast<double>(be32(xing + 12));
    const std::uint8_t* toc = &bytes[xing + 16];
    double percent = fraction * 100.0;
    int i = static_cast<int>(percent);
    double a = toc[i] * total / 256.0;
    double b = (i < 99 ? toc[i + 1] : 256) * total / 256.0;
    return static_cast<std::size_t>(a + (b - a) * (percent - i));
}

TEST(HeaderFrameSeeking, TheTableOfContentsLandsWithinOneFrameOfThePlace)
{
    for (const char* name : {"varied-v0.mp3", "varied-v2.mp3", "varied-v5.mp3", "varied-abr-160.mp3"}) {
        SCOPED_TRACE(name);
        OpenedSong song(name);
        ASSERT_TRUE(song.decoder.headerFrame().hasToc);
        std::vector<std::size_t> offsets = frameOffsets(song.bytes);
        const std::int64_t frames = song.decoder.headerFrame().frames;
        ASSERT_EQ(static_cast<std::int64_t>(offsets.size()), frames + 2); // header frame and the end
        for (double fraction : {0.05, 0.25, 0.5, 0.62, 0.9}) {
            ASSERT_TRUE(song.decoder.seekToFraction(song.header, fraction)) << fraction;
            // The seek reads the frame it lands on and the next without decoding them.
            auto read = std::find(offsets.begin(), offsets.end(), song.position());
            ASSERT_NE(read, offsets.end()) << fraction;
            auto found = read - 2;
            // The first frame that starts at or after the table's place...
            std::size_t place = tablePosition(song.bytes, fraction);
            EXPECT_GE(*found, place) << fraction;
            EXPECT_LT(*(found - 1), place) << fraction;
            // ...which is within a frame of the time asked for. Near the start
            // lame's table of these two-second files is itself a few frames early.
            std::int64_t landed = (found - offsets.begin()) - 1; // audio frames count from 0
            double wanted = fraction * static_cast<double>(frames);
            EXPECT_LE(std::abs(static_cast<double>(landed) - wanted), fraction < 0.1 ? 3.0 : 1.0)
                << fraction << " landed " << landed;
        }
    }
}

TEST(HeaderFrameSeeking, WithoutAHeaderFrameTheEstimateSeeksAsBefore)
{
    OpenedSong song("varied-v2-notag.mp3");
    EXPECT_EQ(song.decoder.headerFrame().kind, HeaderFrame::Kind::none);
    std::vector<std::uint8_t> copy = song.bytes;
    // The estimate's place: (bytes per frame + 8) x the frame number.
    std::int64_t frames = frameCount(stateOf(song.decoder).reader, song.header);
    std::int64_t target = static_cast<std::int64_t>(std::trunc(static_cast<double>(frames) * 0.25));
    double perFrame = bitrateKbps(song.header) * 144000.0 / 44100.0;
    std::size_t estimate = static_cast<std::size_t>((perFrame + 8.0) * static_cast<double>(target));
    ASSERT_TRUE(song.decoder.seekToFraction(song.header, 0.25));
    // The first frame from there whose header matches the first one in all
    // but padding and the last byte, bitrate included; it and the next are read.
    std::vector<std::size_t> offsets = frameOffsets(copy);
    auto word = [&](std::size_t at) {
        return (unsigned(copy[at]) << 24) | (unsigned(copy[at + 1]) << 16) | (unsigned(copy[at + 2]) << 8) |
               copy[at + 3];
    };
    auto found = std::lower_bound(offsets.begin(), offsets.end(), estimate);
    while ((word(*found) & 0xFFFFFD00u) != (word(0) & 0xFFFFFD00u)) ++found;
    ASSERT_LT(found + 2, offsets.end());
    EXPECT_EQ(song.position(), *(found + 2));
}

TEST(HeaderFrameSeeking, AfterASeekTheSongGoesOnWithNoFramePlayedAsSilence)
{
    // The frames just after the place point back into main data the seek did
    // not read: they give nothing, rather than decoding zeros into damage.
    for (const char* name : {"varied-v2.mp3", "varied-v2-notag.mp3", "joint-128.mp3", "varied-cbr-128.mp3"}) {
        SCOPED_TRACE(name);
        OpenedSong song(name);
        ASSERT_TRUE(song.decoder.seekToFraction(song.header, 0.5));
        RecordingSink sink;
        int frames = 0;
        while (song.decoder.nextFrame(song.header) == FrameRead::frame)
            frames += song.decoder.decodeFrame(song.header, sink) ? 1 : 0;
        EXPECT_GT(frames, 10);
        EXPECT_EQ(song.decoder.skippedFrames(), 0);
        EXPECT_EQ(song.decoder.silencedSamples(), 0);
    }
}

TEST(HeaderFrameDecoding, ADamagedHeaderFrameBreaksNothing)
{
    std::vector<std::uint8_t> good = readFile(testDataDir() + "/mp3/varied-v2.mp3");
    const std::size_t fields = 4 + 32 + 8; // the frame count, after header, side info, tag and flags
    auto withCount = [&](std::uint32_t count) {
        std::vector<std::uint8_t> b = good;
        put32(b, fields, count);
        return b;
    };
    std::vector<std::uint8_t> falling = good;
    falling[fields + 8 + 40] = 0xFF; // the table rises to the end and falls again
    for (const auto& bytes : {withCount(0), withCount(0xFFFFFFFFu), withCount(1u << 20), falling}) {
        DecodeResult all = decodeBytes(bytes, false, false);
        EXPECT_EQ(all.error, "");
        EXPECT_EQ(all.frames, 79); // the header frame is still no audio
        Decoder decoder;
        decoder.openSongInMemory(bytes.data(), bytes.size());
        FrameHeader header;
        ASSERT_EQ(decoder.nextFrame(header), FrameRead::frame);
        StreamLength length = decoder.streamLength(header);
        EXPECT_GE(length.wholeSeconds, 0);
        EXPECT_LE(length.wholeSeconds, 3);
        decoder.seekToFraction(header, 0.5);
        while (decoder.nextFrame(header) == FrameRead::frame) {
        }
        decoder.closeSong();
    }
    // A count that is only a little wrong is believed, but the table still
    // finds real frames.
    std::vector<std::uint8_t> small = withCount(10);
    Decoder decoder;
    decoder.openSongInMemory(small.data(), small.size());
    FrameHeader header;
    ASSERT_EQ(decoder.nextFrame(header), FrameRead::frame);
    EXPECT_EQ(decoder.streamLength(header).frames, 10);
    EXPECT_TRUE(decoder.seekToFraction(header, 0.5));
    decoder.closeSong();
}

TEST(StreamTail, TheEndOfAStreamKeepsItsLastPartialBlockForTheNextOne)
{
    // Two streams through one sink, as the player plays them: the second
    // continues the first one's last block.
    std::vector<std::uint8_t> song = readFile(testDataDir() + "/mp3/joint-128.mp3");
    RecordingSink sink;
    Decoder decoder;
    for (int round = 0; round < 2; ++round) {
        decoder.openSongInMemory(song.data(), song.size());
        FrameHeader header;
        while (decoder.nextFrame(header) == FrameRead::frame) decoder.decodeFrame(header, sink);
        decoder.endStream();
        decoder.closeSong();
    }
    decoder.flushPcm(sink);
    DecodeResult one = decodeBytes(song, false, true);
    ASSERT_EQ(one.samples.size(), 44100u * 2);
    ASSERT_EQ(sink.bytes.size(), 2 * 44100u * 4);
    for (std::size_t i = 0; i + 1 < sink.blockSizes.size(); ++i) EXPECT_EQ(sink.blockSizes[i], pcmBlockBytes);
    for (std::size_t i = 0; i < 2 * one.samples.size(); ++i) {
        auto sample = static_cast<std::int16_t>(sink.bytes[2 * i] | (sink.bytes[2 * i + 1] << 8));
        ASSERT_EQ(sample, one.samples[i % one.samples.size()]) << i;
    }
}

} // namespace
