#pragma once

// The MPEG-1 Layer III decoder: its one public header; the stages behind it
// are private to the library.
//
// Threading: a Decoder holds everything of the one stream it reads (the
// input and its synchronisation, the bit reservoir, the header frame, the
// filterbanks' history, the equaliser curve and switch, gapless trimming, the
// PCM held for the next block, the damage counters). Each stream has its own
// Decoder, and a Decoder is used by one thread at a time; any number of
// Decoders may decode at once on as many threads. The constant tables
// (Huffman codes, requantisation powers, windows and cosines, bands) are
// shared by all, built once on first use, thread-safely, and only read.
//
// Errors: the decoder reports by result values and throws nothing of its
// own. A stream that is no MP3 at all is the result FrameRead::notMp3 of
// nextFrame, damage is silence counted in skippedFrames and silencedSamples,
// and calls that can be refused say so in what they return. Only the
// standard library's own failures (out of memory) are exceptions.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace mp3 {

// The four header bytes of a frame read as one big-endian word: the first
// byte of the frame is bits 31..24 (ISO/IEC 11172-3, 2.4.1.3).
using HeaderWord = std::uint32_t;

struct FrameHeader {
    std::int32_t channels = 0;
    std::int32_t lsf = 0;
    std::int32_t mpeg25 = 0;
    std::int32_t headerChange = 0; // 0 same header, 1 compatible change, 2 major change
    std::int32_t layer = 0;
    std::int32_t errorProtection = 0;
    std::int32_t bitrateIndex = 0;
    std::int32_t sampleRateIndex = 0;
    std::int32_t padding = 0;
    std::int32_t privateBit = 0;
    std::int32_t mode = 0; // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
    std::int32_t modeExtension = 0;
    std::int32_t copyrightBit = 0;
    std::int32_t originalBit = 0;
    std::int32_t emphasis = 0;
    std::int32_t frameSize = 0; // bytes of the frame after the four header bytes
};

// Bitrates in kbit/s by [lsf][layer - 1][bitrateIndex] (ISO/IEC 11172-3 and 13818-3).
extern const std::int32_t bitrateTable[2][3][16];
// Hz by sampleRateIndex.
extern const std::int32_t sampleRateTable[9];

inline bool midSideOn(const FrameHeader& h)
{
    return h.mode == 1 && (h.modeExtension & 2) != 0;
}
inline bool intensityOn(const FrameHeader& h)
{
    return h.mode == 1 && (h.modeExtension & 1) != 0;
}
inline int bitrateKbps(const FrameHeader& h)
{
    return bitrateTable[h.lsf][h.layer - 1][h.bitrateIndex];
}
inline int sampleRateHz(const FrameHeader& h)
{
    return sampleRateTable[h.sampleRateIndex];
}

// Where the decoder hands its PCM: interleaved little-endian signed 16-bit
// stereo, left sample first, in blocks of pcmBlockBytes.
class PcmSink {
public:
    virtual ~PcmSink() = default;
    virtual void writeBuffer(const std::uint8_t* data, int size) = 0;
};

inline constexpr int pcmBlockBytes = 16384;

// What nextFrame found: an audio frame; the end of the stream (or damage
// beyond recovery, or a refused header); or bytes that are no MP3 stream at
// all, which ends the song with notValidMp3Text.
enum class FrameRead { frame, end, notMp3 };

// The words for FrameRead::notMp3, as the player and sonorbox-decode show them.
inline constexpr const char* notValidMp3Text = "Not a valid MP3 file";

// What the first frame of a stream says when it is a header frame rather
// than audio: a Xing or Info header (the latter written for constant
// bitrates), perhaps followed by a LAME tag, or a VBRI header. Counts that
// cannot be true for the file are left out, as if they were not given.
struct HeaderFrame {
    enum class Kind { none, xing, info, vbri };
    Kind kind = Kind::none;
    // Audio frames after the header frame; 0 when not given.
    std::int64_t frames = 0;
    // Where the header frame starts in the file, and the bytes from there.
    std::uint64_t offset = 0;
    std::uint64_t bytes = 0;
    // The bytes of the audio frames: the header frame's byte count less the
    // header frame itself; 0 when it gives no byte count.
    std::uint64_t audioBytes = 0;
    // Byte position (from `offset`) of each hundredth of the duration, and
    // the end; only when the frame has a table of contents that can be true.
    bool hasToc = false;
    std::uint64_t tocPositions[101] = {};
    // The encoder's delay and padding in samples, from a LAME tag.
    bool hasGaplessInfo = false;
    int encoderDelay = 0;
    int encoderPadding = 0;
};

// The samples by which the hybrid and polyphase filterbanks delay a decoded
// stream behind the encoder's input: 528, plus one for the alignment of the
// polyphase window, as the published LAME tag description counts them.
inline constexpr int synthesisDelaySamples = 529;

// A stream's length, from its header frame when it has a believable frame
// count, else estimated from the first frame's bitrate and the file size.
struct StreamLength {
    bool fromHeaderFrame = false;
    std::int64_t frames = 0;
    // The samples per channel that the stream plays: after gapless trimming
    // when the header frame tells the encoder's delay and padding.
    std::int64_t samples = 0;
    double seconds = 0.0;
    // The whole seconds that the player shows and seeks by.
    int wholeSeconds = 0;
};

inline constexpr int equaliserBands = 12;
// The spectral lines, of a granule's 576, at which the curve takes its
// twelve gains, from the lowest up; linear between them.
inline constexpr int granuleLines = 576;
inline constexpr int gainBreakLines[equaliserBands] = {0, 5, 10, 20, 30, 50, 100, 150, 200, 300, 400, granuleLines};
// The range of a band's gain and of the listener's preamp, in dB.
inline constexpr float equaliserGainLimitDb = 12.0f;
inline constexpr float equaliserPreampFloorDb = -24.0f;

// The listener's equaliser: a switch, twelve gains in dB at the break lines
// (-12 to +12), and a preamp in dB; an empty preamp is the headroom the
// curve needs (the largest raise, negated), so nothing clips.
struct EqualiserSetting {
    bool on = true;
    // The built-in curve, to a tenth of a dB. Its own linear gains are what
    // it plays with (see builtInEqualiser), so that it sounds exactly as it
    // always has.
    std::array<float, equaliserBands> gainsDb = {1.6f, 0.0f, 0.8f, 1.6f, 2.3f, 2.9f,
                                                 3.5f, 4.1f, 4.6f, 5.1f, 5.6f, 6.0f};
    std::optional<float> preampDb;
    bool operator==(const EqualiserSetting&) const = default;
};

// The default: the built-in curve, on, with the headroom it needs. These
// gains in dB stand for the player's built-in linear gains: a curve with
// exactly these gains plays with those.
EqualiserSetting builtInEqualiser();
// The preamp applied, in dB: the listener's when it is set, never above the
// headroom the curve needs, so the applied gain is at most 1 on every line
// and the equaliser never clips what plays unclipped without it; a preamp
// set above that headroom plays as the headroom.
float preampInEffect(const EqualiserSetting& setting);

struct DecoderState;

// One stream's decoder. A new Decoder is in its start state: no stream, no
// history, no PCM held, the equaliser off and gapless trimming on.
class Decoder {
public:
    Decoder();
    ~Decoder();
    Decoder(Decoder&&) noexcept;
    Decoder& operator=(Decoder&&) noexcept;
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // Opens a song file, or bytes in memory that must outlive the stream, and
    // starts it afresh: synchronisation, header frame, filter history and
    // gapless trimming. PCM still held from the song before stays, so the
    // next song continues its block. False when the file cannot be opened
    // (errno tells why; the first nextFrame then finds no frame).
    bool openSong(const char* path);
    void openSongInMemory(const std::uint8_t* data, std::size_t size);
    void closeSong();

    // Reads the next audio frame into header. A header frame at the start is
    // taken in and passed over, and the first audio frame then reports
    // headerChange 2. The CRC word, when there is one, is skipped: the reader
    // stands at the side information. A header found by searching (after junk
    // or damage) counts only when the next header of the same format, or the
    // end of the stream, stands where its frame ends. notMp3 when a file
    // starts with too much junk, or holds bytes but no frame at all.
    FrameRead nextFrame(FrameHeader& header);

    // Decodes the frame that nextFrame has just read, all the way to PCM;
    // every full block of pcmBlockBytes goes to the sink. Returns false when
    // the frame gave no samples of its own: a sample rate without band tables,
    // damaged side information, or main data that runs past its granule in
    // granule 0. Damage costs that frame only, and never the timeline: damaged
    // side information plays the whole frame as silence, Huffman data that
    // runs past its granule plays that granule and the rest of the frame as
    // silence; either counts in skippedFrames and silencedSamples.
    bool decodeFrame(const FrameHeader& header, PcmSink& sink);

    // The frames of the open stream that decodeFrame played wholly or partly
    // as silence for damage, and the samples (per channel) so played.
    std::int64_t skippedFrames() const;
    std::int64_t silencedSamples() const;

    // Moves within the open stream to fraction (0 to 1) of its length: by the
    // header frame's table of contents when there is one, else by the
    // estimate from the current frame's bitrate. The PCM held is dropped.
    // False when the target is refused or not found; the stream then goes on
    // where it is.
    bool seekToFraction(FrameHeader& header, double fraction);

    // The natural end of a stream: the encoder's padding is dropped from the
    // PCM held, and the rest stays for the next song's samples to continue.
    void endStream();
    // Hands the partly filled block (a whole number of sample frames) to the
    // sink: for the end of the last stream, where nothing may be lost.
    void flushPcm(PcmSink& sink);
    // Drops the PCM held, as a stop, a seek or a change of song does.
    void discardPcm();
    // The bytes of PCM held for the next block: after endStream, where the
    // next song's samples begin in that block.
    int heldPcmBytes() const;

    // The sample frames the open stream has made since it was opened, after
    // the leading delay was dropped: those handed on, those held and those
    // that discardPcm dropped. redecodeFrom names a place by this count.
    std::int64_t samplesMade() const;
    // Decodes the open stream again from sample (as samplesMade counts) on,
    // with the equaliser as it is set now: the PCM held is dropped, and the
    // next frames read and decoded give the samples from there, exactly as a
    // decoding of the whole stream with that equaliser would give them. The
    // place must lie in the last frames decoded (some 13 s at 44.1 kHz),
    // and the frames just before it are decoded again to rebuild the state,
    // their samples dropped. False when the place is out of reach (the
    // stream then goes on where it is), or when it lies just after a seek
    // or after bytes that are no frame, whose history cannot be made again:
    // the samples then come from there, as near as can be.
    bool redecodeFrom(std::int64_t sample, FrameHeader& header);
    // The same for a stream just opened, no frame of it decoded yet: the
    // frames up to the place are read without being decoded, and the next
    // frames decoded give the samples from sample on, exactly as decoding
    // the stream from its start would. False when the stream ends first.
    bool decodeFromSample(std::int64_t sample, FrameHeader& header);

    // The equaliser: this Decoder's own curve, applied to each granule from
    // the next one on while the switch is on. A new Decoder has the built-in
    // curve (switched off); the listener's setting replaces curve and switch
    // together. Whatever the curve, the preamp in effect keeps every line's
    // gain at 1 at most: it never clips what plays unclipped without it.
    void setEqualiser(bool on);
    void setEqualiser(const EqualiserSetting& setting);
    bool equaliserOn() const;
    // The setting in effect, the switch as setEqualiser(bool) left it.
    EqualiserSetting equaliser() const;

    // Gapless trimming of the encoder's delay and padding (on unless turned
    // off).
    void setGapless(bool on);

    // What the open stream's header frame said (kind none when it has none).
    const HeaderFrame& headerFrame() const;
    // The open stream's length, given its current frame header.
    StreamLength streamLength(const FrameHeader& header) const;
    // The open stream's bitrate in kbit/s, given its first audio frame's
    // header: when the header frame gives the frame count and the byte count,
    // the average (audio bytes x 8 over the frames' duration, rounded to the
    // nearest kbit/s); else, or when that average is beyond the format's
    // bitrates, the frame's own.
    int streamBitrateKbps(const FrameHeader& header) const;

private:
    // The library's stages and its own tests reach the state through this.
    friend DecoderState& stateOf(Decoder& decoder);
    std::unique_ptr<DecoderState> state_;
};

} // namespace mp3
