// The one door into the decoder: a stream opened, read frame by frame with
// its header frame taken in and its CRC word skipped, sought, and its length.
#include <algorithm>
#include <cmath>

#include "DecoderState.h"
#include "HeaderFrame.h"
#include "Mp3Decoder.h"
#include "SongLength.h"

namespace mp3 {

namespace {

void startSong(DecoderState& d)
{
    resetSync(d.reader);
    startStreamHistory(d);
    d.headerFrame = HeaderFrame{};
    d.atFirstFrame = true;
}

// Takes in the frame just read when it is a header frame; then the stream's
// leading delay and trailing padding are known.
bool takeHeaderFrame(DecoderState& d, const FrameHeader& header)
{
    const BitReaderState& r = d.reader;
    std::uint64_t end = r.stream.position();
    std::uint64_t frameBytes = 4 + static_cast<std::uint64_t>(header.frameSize);
    if (end < frameBytes) return false;
    std::uint64_t offset = end - frameBytes;
    HeaderFrame found = parseHeaderFrame(header, r.currentBuffer, static_cast<std::size_t>(header.frameSize), offset,
                                         r.fileSize - offset);
    if (found.kind == HeaderFrame::Kind::none) return false;
    d.headerFrame = found;
    if (d.gaplessOn && found.hasGaplessInfo) {
        d.synthesis.skipSamples = found.encoderDelay + synthesisDelaySamples;
        d.synthesis.paddingSamples = std::max(0, found.encoderPadding - synthesisDelaySamples);
    }
    return true;
}

int samplesPerFrame(const FrameHeader& header)
{
    return header.lsf ? 576 : 1152;
}

} // namespace

Decoder::Decoder() : state_(std::make_unique<DecoderState>()) {}
Decoder::~Decoder() = default;
Decoder::Decoder(Decoder&&) noexcept = default;
Decoder& Decoder::operator=(Decoder&&) noexcept = default;

bool Decoder::openSong(const char* path)
{
    const bool opened = openStream(state_->reader, path);
    startSong(*state_);
    return opened;
}

void Decoder::openSongInMemory(const std::uint8_t* data, std::size_t size)
{
    openMemoryStream(state_->reader, data, size);
    startSong(*state_);
}

void Decoder::closeSong()
{
    closeStream(state_->reader);
    state_->headerFrame = HeaderFrame{};
    state_->atFirstFrame = false;
}

FrameRead Decoder::nextFrame(FrameHeader& header)
{
    DecoderState& d = *state_;
    FrameRead read = readFrame(d.reader, header);
    if (read != FrameRead::frame) return read;
    if (d.atFirstFrame) {
        d.atFirstFrame = false;
        if (takeHeaderFrame(d, header)) {
            forgetHeaderFrameFormat(d.reader);
            read = readFrame(d.reader, header);
            if (read != FrameRead::frame) return read;
            // The first audio frame is where the caller meets the stream.
            header.headerChange = 2;
        }
    }
    const std::uint64_t end = d.reader.stream.position();
    const auto frameBytes = static_cast<std::uint64_t>(4 + header.frameSize);
    d.history.readOffset = end >= frameBytes ? end - frameBytes : 0;
    if (header.errorProtection == 1) getBits(d.reader, 16); // the CRC word, not checked
    return FrameRead::frame;
}

bool Decoder::seekToFraction(FrameHeader& header, double fraction)
{
    DecoderState& d = *state_;
    discardPcm();
    d.synthesis.skipSamples = 0;
    d.history.entering = true;
    const HeaderFrame& h = d.headerFrame;
    if (h.hasToc) {
        // Between two entries of the table the position goes linearly.
        double percent = std::clamp(fraction * 100.0, 0.0, 100.0);
        int i = std::min(static_cast<int>(percent), 99);
        double a = static_cast<double>(h.tocPositions[i]);
        double b = static_cast<double>(h.tocPositions[i + 1]);
        double position = a + (b - a) * (percent - i);
        return seekToOffset(d.reader, header, h.offset + static_cast<std::uint64_t>(position));
    }
    std::int64_t frames = h.frames > 0 ? h.frames : frameCount(d.reader, header);
    auto low = static_cast<std::int32_t>(static_cast<std::uint32_t>(frames));
    return seekFrame(d.reader, header, static_cast<std::int64_t>(std::trunc(static_cast<double>(low) * fraction)));
}

void Decoder::setGapless(bool on)
{
    state_->gaplessOn = on;
}

const HeaderFrame& Decoder::headerFrame() const
{
    return state_->headerFrame;
}

int Decoder::streamBitrateKbps(const FrameHeader& header) const
{
    const HeaderFrame& h = state_->headerFrame;
    const int own = bitrateKbps(header);
    if (h.frames <= 0 || h.audioBytes == 0) return own;
    const double seconds = static_cast<double>(h.frames) * samplesPerFrame(header) / sampleRateHz(header);
    const double kbps = static_cast<double>(h.audioBytes) * 8.0 / seconds / 1000.0;
    const auto& bitrates = bitrateTable[header.lsf][2];
    if (kbps < bitrates[1] || kbps > bitrates[14]) return own;
    return static_cast<int>(std::lround(kbps));
}

StreamLength Decoder::streamLength(const FrameHeader& header) const
{
    StreamLength length;
    const HeaderFrame& h = state_->headerFrame;
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
    length.frames = frameCount(state_->reader, header);
    length.samples = length.frames * samplesPerFrame(header);
    auto low = static_cast<std::int32_t>(static_cast<std::uint32_t>(length.frames));
    length.seconds = low * (1.0 / 38.28);
    length.wholeSeconds = estimateSongSeconds(length.frames);
    return length;
}

} // namespace mp3
