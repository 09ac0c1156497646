#pragma once

#include <cstddef>
#include <cstdint>

#include "Frame.h"
#include "InputStream.h"

namespace mp3 {

// The reader's state for one stream: part of a Decoder's. A new one is in the
// start state: no file, no headers seen, the first frame goes into the first
// buffer.
struct BitReaderState {
    static constexpr int bufferSize = 2304;
    static constexpr int leadRoom = 512;
    // Zeros after both frame buffers: the bit reader never checks the end of a
    // frame body, and corrupt Huffman data can run several kilobytes on before
    // the overrun is noticed. Nothing ever writes here.
    static constexpr int guardSize = 8192;

    InputStream stream;
    // The stream's bytes up to where the tags at its end begin.
    std::uint64_t fileSize = 0;
    // Where the audio begins: after any ID3v2 tags at the start of the file.
    std::uint64_t audioStart = 0;
    std::uint8_t storage[2 * bufferSize + guardSize] = {};
    std::uint8_t* currentBuffer = storage + bufferSize;
    std::uint8_t* previousBuffer = currentBuffer;
    int flipIndex = 0;
    const std::uint8_t* bytePointer = currentBuffer;
    int bitIndex = 0;
    int sideInfoSize = 0;
    int previousFrameSize = 0;
    // The main data bytes before the current frame's that the stream has
    // given: what main data begin may point back into. None at a stream's
    // start, nor just after a seek (the stream is entered there).
    int reservoirBytes = 0;
    // What the current frame leaves for the next: its own main data and the
    // part of the reservoir copied in front of it.
    int bytesLeftBehind = 0;
    HeaderWord previousHeader = 0;
    HeaderWord firstHeader = 0;
    // The first audio frame's header: its version, layer and sample rate are
    // the stream's, and a header naming others belongs to no frame of it.
    HeaderWord streamHeader = 0;
};

// False when the file cannot be opened.
bool openStream(BitReaderState& r, const char* fileName);
// Reads from memory instead of a file; the bytes must outlive the stream.
void openMemoryStream(BitReaderState& r, const std::uint8_t* data, std::size_t size);
void closeStream(BitReaderState& r);
void resetSync(BitReaderState& r);
// After a header frame: the stream's format is the next frame's, which the
// header frame's own header need not share.
void forgetHeaderFrameFormat(BitReaderState& r);
// Reads the next frame into the current buffer: frame, or end for no frame.
// A header found by searching counts only with its frame followed by another
// header of its format or by the stream's end. notMp3 after too much junk at
// the start, or at the end of a stream that held bytes but no frame.
FrameRead readFrame(BitReaderState& r, FrameHeader& header);
// Puts the reader at the current frame's main data, backstep bytes before the
// end of its side information. False when those bytes lie before the
// stream's start (a stream cut out of a longer one): the frame's main data is
// not in the stream.
bool setMainDataStart(BitReaderState& r, int backstep);
std::int64_t frameCount(const BitReaderState& r, const FrameHeader& header);
bool seekFrame(BitReaderState& r, FrameHeader& header, std::int64_t frameNumber);
// Positions the stream at the first frame at or after the byte offset, as a
// table of contents gives it: a header like the first frame's in all but
// bitrate and padding, with another such header behind it. Like seekFrame
// it reads that frame and the next without decoding and clears the reservoir.
bool seekToOffset(BitReaderState& r, FrameHeader& header, std::uint64_t offset);
void clearFrameBuffers(BitReaderState& r);
// Stands the reader at offset, where a frame begins, with an empty
// reservoir: the frames that follow bring their own. False when the stream
// cannot go there.
bool enterAt(BitReaderState& r, std::uint64_t offset);

inline unsigned getBits(BitReaderState& r, int n)
{
    const std::uint8_t* p = r.bytePointer;
    std::uint32_t v = (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
    v = ((v << r.bitIndex) & 0xFFFFFFu) >> (24 - n);
    int i = r.bitIndex + n;
    r.bytePointer = p + (i >> 3);
    r.bitIndex = i & 7;
    return v;
}

inline unsigned getBitsFast(BitReaderState& r, int n)
{
    const std::uint8_t* p = r.bytePointer;
    std::uint32_t v = (std::uint32_t(p[0]) << 8) | p[1];
    v = ((v << r.bitIndex) & 0xFFFFu) >> (16 - n);
    int i = r.bitIndex + n;
    r.bytePointer = p + (i >> 3);
    r.bitIndex = i & 7;
    return v;
}

inline unsigned get1Bit(BitReaderState& r)
{
    unsigned v = (std::uint8_t(*r.bytePointer << r.bitIndex)) >> 7;
    int i = r.bitIndex + 1;
    r.bytePointer += i >> 3;
    r.bitIndex = i & 7;
    return v;
}

} // namespace mp3
