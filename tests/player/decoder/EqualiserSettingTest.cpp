// The listener's equaliser setting in the decoder: the built-in curve and the
// switch sound exactly as before, the preamp keeps every gain at 1 at most,
// and a stretch decoded again with a new curve joins what was decoded before
// it sample for sample.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "DecodeHelpers.h"
#include "Equaliser.h"

using namespace mp3test;

namespace {

using Bytes = std::vector<std::uint8_t>;

mp3::EqualiserSetting shaped(float low, float high, std::optional<float> preamp = std::nullopt)
{
    mp3::EqualiserSetting setting;
    for (int band = 0; band < mp3::equaliserBands; ++band)
        setting.gainsDb[band] = low + (high - low) * static_cast<float>(band) / (mp3::equaliserBands - 1);
    setting.preampDb = preamp;
    return setting;
}

// A whole song decoded with one setting, gapless, the last block flushed.
Bytes decodeWith(const Bytes& song, const mp3::EqualiserSetting& setting)
{
    RecordingSink sink;
    mp3::Decoder decoder;
    decoder.setEqualiser(setting);
    decoder.openSongInMemory(song.data(), song.size());
    mp3::FrameHeader header;
    while (decoder.nextFrame(header) == mp3::FrameRead::frame) decoder.decodeFrame(header, sink);
    decoder.endStream();
    decoder.flushPcm(sink);
    return sink.bytes;
}

// Decodes with `before` until `framesFirst` frames are decoded, then sets
// `after` and decodes again from the sample `back` samples before the last
// one handed on; the samples handed on from there replace the rest.
Bytes decodeSwitchingAt(const Bytes& song, const mp3::EqualiserSetting& before, const mp3::EqualiserSetting& after,
                        int framesFirst, std::int64_t back, std::int64_t& switchedAt)
{
    RecordingSink sink;
    mp3::Decoder decoder;
    decoder.setEqualiser(before);
    decoder.openSongInMemory(song.data(), song.size());
    mp3::FrameHeader header;
    for (int n = 0; n < framesFirst && decoder.nextFrame(header) == mp3::FrameRead::frame; ++n)
        decoder.decodeFrame(header, sink);
    const auto handedOn = static_cast<std::int64_t>(sink.bytes.size() / 4);
    // Samples made and handed on count alike from the stream's start.
    EXPECT_EQ(decoder.samplesMade() - decoder.heldPcmBytes() / 4, handedOn);
    switchedAt = handedOn - back;
    decoder.setEqualiser(after);
    EXPECT_TRUE(decoder.redecodeFrom(switchedAt, header));
    EXPECT_EQ(decoder.samplesMade(), switchedAt);
    sink.bytes.resize(static_cast<std::size_t>(switchedAt) * 4);
    while (decoder.nextFrame(header) == mp3::FrameRead::frame) decoder.decodeFrame(header, sink);
    decoder.endStream();
    decoder.flushPcm(sink);
    return sink.bytes;
}

Bytes spliced(const Bytes& before, const Bytes& after, std::int64_t at)
{
    Bytes joined(before.begin(), before.begin() + at * 4);
    joined.insert(joined.end(), after.begin() + at * 4, after.end());
    return joined;
}

} // namespace

TEST(EqualiserSetting, TheBuiltInCurveAndTheSwitchSoundExactlyAsBefore)
{
    for (const char* name : {"joint-128.mp3", "varied-v2.mp3", "loud-mix.mp3"}) {
        const Bytes song = readFile(testDataDir() + "/mp3/" + name);
        const DecodeResult before = decodeBytes(song, true, true);
        const DecodeResult pureBefore = decodeBytes(song, false, true);
        mp3::EqualiserSetting builtIn = mp3::builtInEqualiser();
        const Bytes now = decodeWith(song, builtIn);
        ASSERT_EQ(now.size(), before.samples.size() * 2) << name;
        EXPECT_EQ(std::memcmp(now.data(), before.samples.data(), now.size()), 0) << name;
        // Off, whatever the curve: the decoder's own output.
        mp3::EqualiserSetting off = shaped(-12, 12, -3);
        off.on = false;
        const Bytes pure = decodeWith(song, off);
        ASSERT_EQ(pure.size(), pureBefore.samples.size() * 2) << name;
        EXPECT_EQ(std::memcmp(pure.data(), pureBefore.samples.data(), pure.size()), 0) << name;
    }
}

TEST(EqualiserSetting, ThePreampIsTheHeadroomUnlessTheListenerSetsItLower)
{
    EXPECT_NEAR(mp3::preampInEffect(mp3::builtInEqualiser()), -20 * std::log10(2.0), 1e-5);
    // A curve that raises nothing needs no headroom.
    EXPECT_EQ(mp3::preampInEffect(shaped(-6, 0)), 0.0f);
    EXPECT_NEAR(mp3::preampInEffect(shaped(-6, 9)), -9.0f, 1e-4);
    EXPECT_NEAR(mp3::preampInEffect(shaped(-6, 9, -15.5f)), -15.5f, 1e-6);
    // Above the headroom it plays as the headroom: nothing clips.
    EXPECT_NEAR(mp3::preampInEffect(shaped(-6, 9, 3.0f)), -9.0f, 1e-4);
    EXPECT_NEAR(mp3::preampInEffect(shaped(-6, 0, 3.0f)), 0.0f, 1e-6);

    for (const auto& setting : {shaped(-12, 12), shaped(12, -12, 6.0f), shaped(3, 3, -2.0f), shaped(-12, -12)}) {
        mp3::GainCurve curve;
        mp3::buildGainCurve(curve, setting);
        const float largest = *std::max_element(curve.appliedGains, curve.appliedGains + 576);
        EXPECT_LE(largest, 1.0f);
        // The largest line plays at the preamp in effect plus its raise.
        float raise = *std::max_element(setting.gainsDb.begin(), setting.gainsDb.end());
        EXPECT_NEAR(20 * std::log10(largest), raise + mp3::preampInEffect(setting), 1e-3);
    }
}

TEST(EqualiserSetting, ValuesBeyondTheRangePlayAsItsEndsAndNoNumberAsNoChange)
{
    mp3::EqualiserSetting wild = shaped(0, 0);
    wild.gainsDb[0] = 40.0f;
    wild.gainsDb[5] = std::nanf("");
    wild.gainsDb[11] = -1e30f;
    wild.preampDb = std::nanf("");
    mp3::GainCurve curve;
    mp3::buildGainCurve(curve, wild);
    for (float gain : curve.appliedGains) ASSERT_TRUE(std::isfinite(gain));
    EXPECT_NEAR(20 * std::log10(curve.appliedGains[0]), 0.0f, 1e-3);
    EXPECT_NEAR(20 * std::log10(curve.appliedGains[mp3::gainBreakLines[5]]), -12.0f, 1e-3);
    EXPECT_NEAR(mp3::preampInEffect(wild), -12.0f, 1e-3);
}

TEST(EqualiserSetting, AStretchDecodedAgainJoinsWhatWasDecodedBeforeSampleForSample)
{
    const mp3::EqualiserSetting first = shaped(6, -6);
    const mp3::EqualiserSetting second = shaped(-9, 9, -12.0f);
    // Constant and variable bitrates (the reservoir reaches back further in
    // a variable stream), a place within the leading delay, in the middle
    // of a frame, and on a block's edge.
    for (const char* name : {"joint-128.mp3", "varied-v2.mp3", "varied-v5.mp3", "mono-64.mp3"}) {
        const Bytes song = readFile(testDataDir() + "/mp3/" + name);
        const Bytes withFirst = decodeWith(song, first);
        const Bytes withSecond = decodeWith(song, second);
        ASSERT_NE(withFirst, withSecond);

        for (auto [frames, back] : {std::pair{6, 1000}, std::pair{20, 777}, std::pair{30, 0}, std::pair{40, 9000}}) {
            std::int64_t at = 0;
            const Bytes switched = decodeSwitchingAt(song, first, second, frames, back, at);
            const Bytes expected = spliced(withFirst, withSecond, at);
            ASSERT_EQ(switched.size(), expected.size()) << name << " at " << at;
            const auto differ = std::mismatch(switched.begin(), switched.end(), expected.begin()).first;
            EXPECT_TRUE(differ == switched.end())
                << name << " switched at sample " << at << ", differs from sample " << (differ - switched.begin()) / 4;
        }
    }
}

TEST(EqualiserSetting, APlaceBeyondWhatWasMadeOrLongGoneIsRefusedAndTheStreamGoesOn)
{
    const Bytes song = readFile(testDataDir() + "/mp3/varied-v2.mp3");
    mp3::Decoder decoder;
    decoder.openSongInMemory(song.data(), song.size());
    mp3::FrameHeader header;
    RecordingSink sink;
    EXPECT_FALSE(decoder.redecodeFrom(0, header)); // nothing decoded yet
    for (int n = 0; n < 60; ++n) {
        ASSERT_EQ(decoder.nextFrame(header), mp3::FrameRead::frame);
        decoder.decodeFrame(header, sink);
    }
    EXPECT_FALSE(decoder.redecodeFrom(decoder.samplesMade() + 1, header));
    EXPECT_FALSE(decoder.redecodeFrom(-1, header));
    const std::int64_t made = decoder.samplesMade();
    ASSERT_EQ(decoder.nextFrame(header), mp3::FrameRead::frame);
    decoder.decodeFrame(header, sink);
    EXPECT_EQ(decoder.samplesMade(), made + 1152);
}

TEST(EqualiserSetting, EachBandsGainReachesItsToneWithinAFifthOfADecibel)
{
    // band-sines.mp3: 0.3 s of a tone at each band's line in turn (the
    // lowest and highest bands at a line within their reach), both channels.
    const Bytes song = readFile(testDataDir() + "/mp3/band-sines.mp3");
    mp3::EqualiserSetting off;
    off.on = false;
    const Bytes pure = decodeWith(song, off);
    constexpr std::size_t perTone = 44100 * 3 / 10;
    ASSERT_GE(pure.size() / 4, perTone * mp3::equaliserBands);
    auto rms = [](const Bytes& pcm, std::size_t from, std::size_t to) {
        double sum = 0;
        for (std::size_t i = from; i < to; ++i) {
            std::int16_t left;
            std::memcpy(&left, pcm.data() + 4 * i, 2);
            sum += double(left) * left;
        }
        return std::sqrt(sum / double(to - from));
    };
    for (float asked : {-9.0f, 5.0f}) {
        for (int band = 0; band < mp3::equaliserBands; ++band) {
            // The band and its neighbours at the gain, so that the tone's
            // spread over the lines beside its own sees the same gain; the
            // rest flat.
            mp3::EqualiserSetting setting = shaped(0, 0);
            for (int near = std::max(0, band - 1); near <= std::min(mp3::equaliserBands - 1, band + 1); ++near)
                setting.gainsDb[near] = asked;
            const Bytes shapedPcm = decodeWith(song, setting);
            ASSERT_EQ(shapedPcm.size(), pure.size());
            // The steady middle of the tone: clear of its fades and of the
            // filterbanks' spread from the tones beside it.
            const std::size_t from = band * perTone + perTone / 4, to = band * perTone + perTone * 3 / 4;
            const double measured = 20 * std::log10(rms(shapedPcm, from, to) / rms(pure, from, to));
            EXPECT_NEAR(measured, asked + mp3::preampInEffect(setting), 0.2)
                << "band " << band + 1 << ", " << asked << " dB asked";
        }
    }
}

TEST(EqualiserSetting, AStreamJustOpenedIsDecodedFromAnySampleAsFromItsStart)
{
    const mp3::EqualiserSetting setting = shaped(4, -8);
    for (const char* name : {"joint-128.mp3", "varied-v2.mp3", "varied-cbr-128-notag.mp3"}) {
        const Bytes song = readFile(testDataDir() + "/mp3/" + name);
        const Bytes whole = decodeWith(song, setting);
        for (std::int64_t from :
             {std::int64_t{0}, std::int64_t{100}, std::int64_t{1152 * 7 + 5}, std::int64_t{30000}}) {
            RecordingSink sink;
            mp3::Decoder decoder;
            decoder.setEqualiser(setting);
            decoder.openSongInMemory(song.data(), song.size());
            mp3::FrameHeader header;
            ASSERT_TRUE(decoder.decodeFromSample(from, header)) << name << " from " << from;
            while (decoder.nextFrame(header) == mp3::FrameRead::frame) decoder.decodeFrame(header, sink);
            decoder.endStream();
            decoder.flushPcm(sink);
            ASSERT_EQ(sink.bytes.size() + static_cast<std::size_t>(from) * 4, whole.size()) << name << " from " << from;
            EXPECT_TRUE(std::equal(sink.bytes.begin(), sink.bytes.end(), whole.begin() + from * 4))
                << name << " from " << from;
        }
    }
}
