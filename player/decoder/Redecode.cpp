// Decoding a stretch of the stream again, from any sample of the frames
// decoded last: what lets a new equaliser curve be heard from the very
// sample the listener hears, not seconds later.
//
// The state a frame is decoded with is made by the frames just before it
// alone: the overlap of the hybrid filterbank is the previous granule's, the
// polyphase history spans less than a granule, and the bit reservoir reaches
// at most 511 bytes back (ISO/IEC 11172-3, 2.4.3.4.3). So a stretch entered a
// few frames early, with those frames decoded and their samples dropped,
// gives exactly the samples that decoding the whole stream would.
#include <cstring>

#include "DecoderState.h"
#include "Mp3Decoder.h"

namespace mp3 {

namespace {

// The frames entered early must bring at least the reservoir's reach, and
// the frame just before the place must be decoded with all of its main data.
constexpr std::uint64_t reservoirReach = 511;
constexpr int fewestLeadFrames = 2;

class DroppingSink final : public PcmSink {
public:
    void writeBuffer(const std::uint8_t*, int) override {}
};

} // namespace

void FrameHistory::note(const FramePlace& place)
{
    places[next] = place;
    next = (next + 1) % capacity;
    if (count < capacity) ++count;
}

const FramePlace& FrameHistory::at(int index) const
{
    return places[(next - count + index + 2 * capacity) % capacity];
}

void FrameHistory::keepFirst(int index)
{
    next = (next - (count - index) + 2 * capacity) % capacity;
    count = index;
}

std::int64_t Decoder::samplesMade() const
{
    return state_->history.samplesMade;
}

bool Decoder::redecodeFrom(std::int64_t sample, FrameHeader& header)
{
    DecoderState& d = *state_;
    FrameHistory& history = d.history;
    if (sample < 0 || sample > history.samplesMade || history.count == 0) return false;
    // The frame that makes the sample: the last one begun before it.
    int target = history.count - 1;
    while (target > 0 && history.at(target).samplesBefore > sample) --target;
    const FramePlace place = history.at(target);
    if (place.samplesBefore > sample) return false;
    // The frames to enter by, from the oldest place on back to the target.
    int lead = target;
    while (lead > 0 && !history.at(lead).entered &&
           (target - lead < fewestLeadFrames || place.offset - history.at(lead).offset < 2 * reservoirReach))
        --lead;
    // A stretch that the history does not reach back far enough for cannot
    // be made exactly again; it goes on as it is.
    const bool fromEntry = history.at(lead).entered;
    if (!fromEntry && lead == target) return false;
    if (!fromEntry && (target - lead < fewestLeadFrames || place.offset - history.at(lead).offset < reservoirReach))
        return false;

    const std::uint64_t from = history.at(lead).offset;
    if (!enterAt(d.reader, from)) return false;
    // The stream's own first frame, or the first after a seek, was decoded
    // with no history before it: so again.
    if (fromEntry) {
        d.hybrid = HybridState{};
        std::memset(d.synthesis.synthesisBuffer, 0, sizeof d.synthesis.synthesisBuffer);
        d.synthesis.ringOffset = history.at(lead).ringOffset;
    }

    history.keepFirst(target);
    const std::int64_t damagedFrames = d.damagedFrames;
    const std::int64_t silentGranules = d.silentGranules;
    history.rebuilding = true;
    DroppingSink dropped;
    bool reached = from == place.offset;
    for (int frame = lead; !reached; ++frame) {
        if (nextFrame(header) != FrameRead::frame) break;
        // Each frame at the turn of the ring and of the overlap stores it
        // had: the first frames entered, short of their main data, make no
        // samples as they did the first time, and the turns would drift.
        if (frame < target && history.at(frame).offset == history.readOffset) {
            const FramePlace& was = history.at(frame);
            d.synthesis.ringOffset = was.ringOffset;
            d.hybrid.overlapSelect[0] = was.overlapSelect[0];
            d.hybrid.overlapSelect[1] = was.overlapSelect[1];
        }
        decodeFrame(header, dropped);
        reached = d.reader.stream.position() == place.offset;
        if (d.reader.stream.position() > place.offset) break;
    }
    history.rebuilding = false;
    d.damagedFrames = damagedFrames;
    d.silentGranules = silentGranules;
    // Bytes between frames the first reading passed over: the place is
    // entered as after a seek, as near as it can be.
    if (!reached) enterAt(d.reader, place.offset);
    // The PCM held goes, and the ring stays where the frames left it.
    d.synthesis.pcmFill = 0;
    history.entering = fromEntry && lead == target;
    history.samplesMade = sample;
    d.synthesis.skipSamples = place.skipBefore + static_cast<int>(sample - place.samplesBefore);
    return reached;
}

bool Decoder::decodeFromSample(std::int64_t sample, FrameHeader& header)
{
    DecoderState& d = *state_;
    FrameHistory& history = d.history;
    if (history.count != 0 || history.samplesMade != 0 || sample < 0) return false;
    // The frames up to the place are read, not decoded: their places are
    // noted as decoding would note them, each frame making its samples less
    // what is still to drop at the start, and turning the polyphase ring
    // once a slot (the overlap stores turn twice a frame, back to where
    // they stood).
    int skip = 0;
    int ring = d.synthesis.ringOffset;
    for (bool first = true;; first = false) {
        if (nextFrame(header) != FrameRead::frame) return false;
        // The header frame, taken in with the first, names the leading delay.
        if (first) skip = d.synthesis.skipSamples;
        history.note({history.readOffset,
                      history.samplesMade,
                      skip,
                      ring,
                      {d.hybrid.overlapSelect[0], d.hybrid.overlapSelect[1]},
                      history.entering});
        history.entering = false;
        const int granules = header.lsf ? 1 : 2;
        const int frameSamples = 576 * granules;
        history.samplesMade += std::max(0, frameSamples - skip);
        skip = std::max(0, skip - frameSamples);
        ring = (ring - 18 * granules) & 15;
        if (history.samplesMade > sample) break;
    }
    d.synthesis.skipSamples = skip;
    return redecodeFrom(sample, header);
}

} // namespace mp3
