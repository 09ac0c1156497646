// Streams that try the decoder as an attacker would: frames of another
// format amid the stream's own, tags at the end full of header-like words,
// and names of files that are no regular files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <future>
#include <string>

#include "ApeTag.h"
#include "BitReader.h"
#include "DecoderState.h"
#include "DecodeHelpers.h"
#include "InputStream.h"
#include "Mp3Decoder.h"
#include "StreamBuilder.h"

using namespace mp3;
using namespace mp3test;

namespace {

constexpr std::size_t samplesPerFrame = 2 * 1152; // interleaved stereo

std::vector<std::uint8_t> silentFrames(int count)
{
    std::vector<std::uint8_t> bytes;
    for (int f = 0; f < count; ++f) append(bytes, frameBytes(jointStereo128, {}));
    return bytes;
}

std::vector<std::uint8_t> word(HeaderWord h)
{
    return {static_cast<std::uint8_t>(h >> 24), static_cast<std::uint8_t>(h >> 16), static_cast<std::uint8_t>(h >> 8),
            static_cast<std::uint8_t>(h)};
}

TEST(StreamFormat, FramesOfAnotherVersionLayerOrSampleRateArePassedOver)
{
    const HeaderWord foreign[] = {
        0xFFF39064u, // MPEG-2
        0xFFE39064u, // MPEG-2.5
        0xFFFD9064u, // Layer II
        0xFFFB9464u, // 48 kHz
    };
    for (HeaderWord h : foreign) {
        SCOPED_TRACE(h);
        std::vector<std::uint8_t> bytes = silentFrames(2);
        // The foreign frame's body is not silent: were it decoded, it would show.
        append(bytes, word(h));
        append(bytes, std::vector<std::uint8_t>(300, 0x5A));
        append(bytes, silentFrames(2));
        DecodeResult result = decodeBytes(bytes);
        EXPECT_EQ(result.frames, 4);
        EXPECT_TRUE(result.error.empty()) << result.error;
        ASSERT_EQ(result.samples.size(), 4 * samplesPerFrame);
        for (std::int16_t s : result.samples) ASSERT_EQ(s, 0);
    }
}

TEST(StreamFormat, AMegabyteOfTinyMpeg2FramesBehindMpeg1FramesGivesNoSamples)
{
    std::vector<std::uint8_t> bytes = silentFrames(3);
    // 8 kbit/s MPEG-2 frames: 13 bytes each at the first frame's 44.1 kHz.
    const std::vector<std::uint8_t> tiny = {0xFF, 0xF3, 0x10, 0xC4, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    while (bytes.size() < (1u << 20)) append(bytes, tiny);
    DecodeResult result = decodeBytes(bytes);
    EXPECT_EQ(result.frames, 3);
    EXPECT_EQ(result.samples.size(), 3 * samplesPerFrame);
}

std::vector<std::uint8_t> infoFrame(HeaderWord h, int rate)
{
    std::vector<std::uint8_t> body(600, 0);
    const int sideInfo = 32;
    for (int i = 0; i < 4; ++i) body[sideInfo + i] = static_cast<std::uint8_t>("Info"[i]);
    return frameBytes(h, body, rate);
}

TEST(StreamFormat, TheFirstAudioFrameAfterAHeaderFrameSetsTheFormat)
{
    // A 48 kHz Info-like header frame, then 44.1 kHz audio: the audio is the
    // stream, and a 48 kHz frame amid it is not.
    std::vector<std::uint8_t> bytes = infoFrame(0xFFFB9464u, 48000);
    append(bytes, silentFrames(2));
    append(bytes, frameBytes(0xFFFB9464u, std::vector<std::uint8_t>(300, 0x5A), 48000));
    append(bytes, silentFrames(1));
    DecodeResult result = decodeBytes(bytes);
    EXPECT_EQ(result.sampleRate, 44100);
    EXPECT_EQ(result.frames, 3);
    EXPECT_EQ(result.samples.size(), 3 * samplesPerFrame);
}

TEST(StreamFormat, AfterAHeaderFrameAHeaderOfReservedFieldsIsNoFrame)
{
    // MPEG-2.5 with the reserved sample rate, then Layer bits 00: neither
    // names a format, so neither may set the stream's.
    for (HeaderWord reserved : {0xFFE39C64u, 0xFFF99064u}) {
        SCOPED_TRACE(reserved);
        std::vector<std::uint8_t> bytes = infoFrame(jointStereo128, 44100);
        append(bytes, word(reserved));
        append(bytes, std::vector<std::uint8_t>(40, 0x11));
        append(bytes, silentFrames(2));
        DecodeResult result = decodeBytes(bytes);
        EXPECT_EQ(result.sampleRate, 44100);
        EXPECT_EQ(result.frames, 2);
        EXPECT_EQ(result.samples.size(), 2 * samplesPerFrame);
    }
}

// Tag bytes full of the stream's own header word, as a cover picture or a
// text may hold it.
std::vector<std::uint8_t> headerLikeBytes(std::size_t n)
{
    std::vector<std::uint8_t> bytes;
    while (bytes.size() < n) append(bytes, {0xFF, 0xFB, 0x90, 0x64, 0x11});
    bytes.resize(n);
    return bytes;
}

std::vector<std::uint8_t> id3v1()
{
    std::vector<std::uint8_t> tag = {'T', 'A', 'G'};
    append(tag, headerLikeBytes(125));
    return tag;
}

std::vector<std::uint8_t> apeTag(bool withHeader)
{
    const std::vector<std::uint8_t> items = headerLikeBytes(700);
    const std::string tag = tagbytes::apeTag(std::string(items.begin(), items.end()), withHeader, 3);
    return {tag.begin(), tag.end()};
}

std::vector<std::uint8_t> text(const std::string& s)
{
    return {s.begin(), s.end()};
}

std::vector<std::uint8_t> lyrics3v1()
{
    std::vector<std::uint8_t> tag = text("LYRICSBEGIN");
    append(tag, headerLikeBytes(3000));
    append(tag, text("LYRICSEND"));
    return tag;
}

std::vector<std::uint8_t> lyrics3v2()
{
    std::vector<std::uint8_t> tag = text("LYRICSBEGIN");
    append(tag, text("LYR00400"));
    append(tag, headerLikeBytes(400));
    char size[8];
    std::snprintf(size, sizeof size, "%06zu", tag.size());
    append(tag, text(size));
    append(tag, text("LYRICS200"));
    return tag;
}

std::vector<std::uint8_t> id3v1Extended()
{
    std::vector<std::uint8_t> tag = text("TAG+");
    append(tag, headerLikeBytes(223));
    return tag;
}

// An ID3v2.4 tag with a footer, as appended at a file's end.
std::vector<std::uint8_t> appendedId3v2()
{
    const std::vector<std::uint8_t> frames = headerLikeBytes(300);
    const std::uint32_t size = static_cast<std::uint32_t>(frames.size());
    auto frame = [&](const char* id) {
        std::vector<std::uint8_t> f = text(id);
        append(f, {4, 0, 0x10});
        for (int shift = 21; shift >= 0; shift -= 7) f.push_back(static_cast<std::uint8_t>((size >> shift) & 0x7F));
        return f;
    };
    std::vector<std::uint8_t> tag = frame("ID3");
    append(tag, frames);
    append(tag, frame("3DI"));
    return tag;
}

struct TaggedStream {
    const char* name;
    std::vector<std::uint8_t> tags;
};

std::vector<TaggedStream> taggedStreams()
{
    auto join = [](std::initializer_list<std::vector<std::uint8_t>> parts) {
        std::vector<std::uint8_t> all;
        for (const auto& p : parts) append(all, p);
        return all;
    };
    return {
        {"ID3v1", id3v1()},
        {"APEv2 with header", apeTag(true)},
        {"APEv2 without header", apeTag(false)},
        {"APEv2 and ID3v1", join({apeTag(true), id3v1()})},
        {"Lyrics3 v1 and ID3v1", join({lyrics3v1(), id3v1()})},
        {"Lyrics3 v2 and ID3v1", join({lyrics3v2(), id3v1()})},
        {"APEv2, Lyrics3 v2 and ID3v1", join({apeTag(false), lyrics3v2(), id3v1()})},
        {"extended ID3v1", join({id3v1Extended(), id3v1()})},
        {"appended ID3v2", appendedId3v2()},
        {"appended ID3v2, APEv2 and ID3v1", join({appendedId3v2(), apeTag(true), id3v1()})},
    };
}

constexpr int taggedFrames = 6;

std::int64_t estimatedFrames(const std::vector<std::uint8_t>& bytes)
{
    Decoder decoder;
    decoder.openSongInMemory(bytes.data(), bytes.size());
    FrameHeader header;
    std::int64_t frames = decoder.nextFrame(header) == FrameRead::frame ? decoder.streamLength(header).frames : -1;
    decoder.closeSong();
    return frames;
}

TEST(EndTags, EachTagEndsTheStreamAndLeavesTheLengthEstimate)
{
    const std::vector<std::uint8_t> audio = silentFrames(taggedFrames);
    const std::int64_t untaggedEstimate = estimatedFrames(audio);
    for (const TaggedStream& t : taggedStreams()) {
        SCOPED_TRACE(t.name);
        std::vector<std::uint8_t> bytes = audio;
        append(bytes, t.tags);
        DecodeResult result = decodeBytes(bytes);
        EXPECT_TRUE(result.error.empty()) << result.error;
        EXPECT_EQ(result.frames, taggedFrames);
        EXPECT_EQ(result.samples.size(), taggedFrames * samplesPerFrame);
        EXPECT_EQ(estimatedFrames(bytes), untaggedEstimate);
    }
}

TEST(EndTags, AFileEndingInTagsStopsBeforeThemToo)
{
    std::vector<std::uint8_t> bytes = silentFrames(taggedFrames);
    append(bytes, apeTag(true));
    append(bytes, id3v1());
    std::string path = ::testing::TempDir() + "/end-tags-test.mp3";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
    Decoder decoder;
    ASSERT_TRUE(decoder.openSong(path.c_str()));
    FrameHeader header;
    RecordingSink sink;
    int frames = 0;
    while (decoder.nextFrame(header) == FrameRead::frame) frames += decoder.decodeFrame(header, sink) ? 1 : 0;
    EXPECT_EQ(frames, taggedFrames);
    decoder.closeSong();
    std::remove(path.c_str());
}

TEST(EndTags, TagLikeEndsThatDoNotFitAreAudio)
{
    // A footer claiming more bytes than the file holds, Lyrics3 or an
    // extended ID3v1 tag without the ID3v1 tag it must stand before, and an
    // APE or ID3v2 header that is missing.
    std::vector<std::uint8_t> oversized = apeTag(false);
    oversized[oversized.size() - 20] = 0xFF;
    oversized[oversized.size() - 19] = 0xFF;
    std::vector<std::uint8_t> headerMissing = apeTag(true);
    headerMissing.erase(headerMissing.begin(), headerMissing.begin() + 32);
    std::vector<std::uint8_t> id3v2HeaderMissing = appendedId3v2();
    id3v2HeaderMissing.erase(id3v2HeaderMissing.begin(), id3v2HeaderMissing.begin() + 10);
    for (const auto& end : {oversized, lyrics3v2(), headerMissing, id3v1Extended(), id3v2HeaderMissing}) {
        std::vector<std::uint8_t> bytes = silentFrames(taggedFrames);
        append(bytes, end);
        Decoder decoder;
        decoder.openSongInMemory(bytes.data(), bytes.size());
        EXPECT_EQ(stateOf(decoder).reader.fileSize, bytes.size());
        decoder.closeSong();
    }
}

TEST(FileInput, FoldersDevicesAndFifosAreRefusedAtOnce)
{
    InputStream in;
    errno = 0;
    EXPECT_FALSE(in.openFile(::testing::TempDir().c_str()));
    EXPECT_EQ(errno, EISDIR);
    errno = 0;
    EXPECT_FALSE(in.openFile("/dev/zero"));
    EXPECT_EQ(errno, ENXIO);

    std::string fifo = ::testing::TempDir() + "/input-stream-fifo-" + std::to_string(::getpid());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto opened = std::async(std::launch::async, [&] {
        Decoder decoder;
        return decoder.openSong(fifo.c_str());
    });
    bool answered = opened.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    if (!answered) {
        // Lets a blocked opening return, so the test fails instead of hanging.
        int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) ::close(writer);
    }
    EXPECT_TRUE(answered);
    EXPECT_FALSE(opened.get());
    ::unlink(fifo.c_str());
}

} // namespace
