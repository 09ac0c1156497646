// The one door into the decoder: a stream opened, read frame by frame with
// its header frame taken in and its CRC word skipped, sought, and its length.
#include <algorithm>
#include <cmath>

#include "BitReader.h"
#include "Equaliser.h"
#include "HeaderFrame.h"
#include "Mp3Decoder.h"
#include "SongLength.h"
#include "Stream.h"
#include "Synthesis.h"

namespace mp3 {

namespace {

struct StreamFacts {
    HeaderFrame headerFrame;
    bool atFirstFrame = false;
};

StreamFacts facts;
bool gaplessOn = true;

int startSong(int opened)
{
    resetSync();
    startStreamHistory();
    facts = StreamFacts{};
    facts.atFirstFrame = true;
    return opened;
}

// Takes in the frame just read when it is a header frame; then the stream's
// leading delay and trailing padding are known.
bool takeHeaderFrame(const FrameHeader& header)
{
    const BitReaderState& r = bitReader;
    std::uint64_t end = r.stream.position();
    std::uint64_t frameBytes = 4 + static_cast<std::uint64_t>(header.frameSize);
    if (end < frameBytes) return false;
    std::uint64_t offset = end - frameBytes;
    HeaderFrame found = parseHeaderFrame(header, r.currentBuffer, static_cast<std::size_t>(header.frameSize), offset,
                                         r.fileSize - offset);
    if (found.kind == HeaderFrame::Kind::none) return false;
    facts.headerFrame = found;
    if (gaplessOn && found.hasGaplessInfo) {
        synthesis.skipSamples = found.encoderDelay + synthesisDelaySamples;
        synthesis.paddingSamples = std::max(0, found.encoderPadding - synthesisDelaySamples);
    }
    return true;
}

int samplesPerFrame(const FrameHeader& header)
{
    return header.lsf ? 576 : 1152;
}

} // namespace

void resetStreamFacts()
{
    facts = StreamFacts{};
}

int openSong(const char* path)
{
    return startSong(openStream(path));
}

int openSongInMemory(const std::uint8_t* data, std::size_t size)
{
    return startSong(openMemoryStream(data, size));
}

void closeSong()
{
    closeStream();
    facts = StreamFacts{};
}

int nextFrame(FrameHeader& header)
{
    if (!readFrame(header)) return 0;
    if (facts.atFirstFrame) {
        facts.atFirstFrame = false;
        if (takeHeaderFrame(header)) {
            forgetHeaderFrameFormat();
            if (!readFrame(header)) return 0;
            // The first audio frame is where the caller meets the stream.
            header.headerChange = 2;
        }
    }
    if (header.errorProtection == 1) getBits(16); // the CRC word, not checked
    return 1;
}

int seekToFraction(FrameHeader& header, double fraction)
{
    discardPcm();
    synthesis.skipSamples = 0;
    const HeaderFrame& h = facts.headerFrame;
    if (h.hasToc) {
        // Between two entries of the table the position goes linearly.
        double percent = std::clamp(fraction * 100.0, 0.0, 100.0);
        int i = std::min(static_cast<int>(percent), 99);
        double a = static_cast<double>(h.tocPositions[i]);
        double b = static_cast<double>(h.tocPositions[i + 1]);
        double position = a + (b - a) * (percent - i);
        return seekToOffset(header, h.offset + static_cast<std::uint64_t>(position));
    }
    std::int64_t frames = h.frames > 0 ? h.frames : frameCount(header);
    auto low = static_cast<std::int32_t>(static_cast<std::uint32_t>(frames));
    return seekFrame(header, static_cast<std::int64_t>(std::trunc(static_cast<double>(low) * fraction)));
}

void setEqualiser(bool on)
{
    eqEnabled = on ? 1 : 0;
}
bool equaliserOn()
{
    return eqEnabled != 0;
}
void setGapless(bool on)
{
    gaplessOn = on;
}

const HeaderFrame& headerFrame()
{
    return facts.headerFrame;
}

int streamBitrateKbps(const FrameHeader& header)
{
    const HeaderFrame& h = facts.headerFrame;
    const int own = bitrateKbps(header);
    if (h.frames <= 0 || h.audioBytes == 0) return own;
    const double seconds = static_cast<double>(h.frames) * samplesPerFrame(header) / sampleRateHz(header);
    const double kbps = static_cast<double>(h.audioBytes) * 8.0 / seconds / 1000.0;
    const auto& bitrates = bitrateTable[header.lsf][2];
    if (kbps < bitrates[1] || kbps > bitrates[14]) return own;
    return static_cast<int>(std::lround(kbps));
}

StreamLength streamLength(const FrameHeader& header)
{
    StreamLength length;
    const HeaderFrame& h = facts.headerFrame;
    const int rate = sampleRateHz(header);
    if (h.frames > 0) {
        length.fromHeaderFrame = true;
        length.frames = h.frames;
        length.samples = h.frames * samplesPerFrame(header);
        if (h.hasGaplessInfo) length.samples -= h.encoderDelay + h.encoderPadding;
        length.seconds = static_cast<double>(length.samples) / rate;
        length.wholeSeconds = static_cast<int>(length.seconds);
        return length;
    }
    length.frames = frameCount(header);
    length.samples = length.frames * samplesPerFrame(header);
    auto low = static_cast<std::int32_t>(static_cast<std::uint32_t>(length.frames));
    length.seconds = low * (1.0 / 38.28);
    length.wholeSeconds = estimateSongSeconds(length.frames);
    return length;
}

} // namespace mp3
