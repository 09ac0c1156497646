#include "BitReader.h"

#include <algorithm>

#include <cstring>

#include "EndTags.h"
#include "Mp3Decoder.h"

namespace mp3 {

namespace {

constexpr HeaderWord syncMask = 0xFFE00000u;
// Ignores padding, mode, mode extension, copyright, original and emphasis:
// after lost sync a header must match in everything that fixes the frame length.
constexpr HeaderWord resyncMask = 0xFFFFFD00u;
constexpr int junkCandidateLimit = 0x8000;
constexpr int resyncByteLimit = 0x8000;

// Version, layer and sample rate: what every frame of one stream shares.
constexpr HeaderWord streamFormatMask = 0x001E0C00u;

bool hasSync(HeaderWord h)
{
    return (h & syncMask) == syncMask;
}

bool ofThisStream(const BitReaderState& r, HeaderWord h)
{
    HeaderWord format = r.streamHeader;
    return format == 0 || (h & streamFormatMask) == (format & streamFormatMask);
}

bool isValidHeader(HeaderWord h)
{
    return hasSync(h) && (h & 0x00060000u) != 0 && (h & 0x0000F000u) != 0x0000F000u && (h & 0x00000C00u) != 0x00000C00u;
}

// A later header that carries the sync bits but whose frame could not be
// stored: bitrate bits 1111 give no length at all, and a version change can
// give a body longer than a buffer holds. Such a word is damage, not a frame.
bool unusableLaterHeader(HeaderWord h, int firstSampleRateIndex)
{
    unsigned bitrateIndex = (h >> 12) & 15;
    if (bitrateIndex == 15) return true;
    int lsf = (h & 0x00100000u) ? 1 - int((h >> 19) & 1) : 1;
    long long size = static_cast<long long>(bitrateTable[lsf][2][bitrateIndex]) * 144000 /
                         (static_cast<long long>(sampleRateTable[firstSampleRateIndex]) << lsf) +
                     1 - 4;
    return size > maxFrameBody;
}

bool readByte(BitReaderState& r, std::uint8_t& byte)
{
    return r.stream.read(&byte, 1) == 1;
}

HeaderWord wordAt(const std::uint8_t* bytes)
{
    return (HeaderWord(bytes[0]) << 24) | (HeaderWord(bytes[1]) << 16) | (HeaderWord(bytes[2]) << 8) | bytes[3];
}

// The bytes of the frame that h begins, header included, from its own
// version, layer, bitrate, sample rate and padding (ISO/IEC 11172-3 2.4.3.1,
// ISO/IEC 13818-3 2.4.3.1); 0 for a word that gives no length.
std::uint64_t frameLength(HeaderWord h)
{
    if (!isValidHeader(h)) return 0;
    const bool mpeg25 = (h & 0x00100000u) == 0;
    const int lsf = mpeg25 ? 1 : 1 - static_cast<int>((h >> 19) & 1);
    const int layer = 4 - static_cast<int>((h >> 17) & 3);
    const std::uint64_t bitrate = static_cast<std::uint64_t>(bitrateTable[lsf][layer - 1][(h >> 12) & 15]);
    const int rateBits = static_cast<int>((h >> 10) & 3);
    const std::uint64_t rate = static_cast<std::uint64_t>(sampleRateTable[mpeg25 ? 6 + rateBits : rateBits + 3 * lsf]);
    const std::uint64_t padding = (h >> 9) & 1;
    if (bitrate == 0) return 0;
    if (layer == 1) return (12000 * bitrate / rate + padding) * 4;
    if (layer == 3 && lsf) return 72000 * bitrate / rate + padding;
    return 144000 * bitrate / rate + padding;
}

// Audio, tags and junk are full of words that look like headers, so a frame
// found by searching counts only when its length ends exactly where the
// stream does (where its end tags begin) or where a header of the same
// version, layer and sample rate stands. `at` is where h begins.
bool frameFollows(InputStream& s, HeaderWord h, std::uint64_t at)
{
    const std::uint64_t length = frameLength(h);
    if (length == 0) return false;
    const std::uint64_t end = at + length;
    if (end == s.size()) return true;
    std::uint8_t bytes[4];
    if (s.peek(end, bytes, 4) != 4) return false;
    const HeaderWord next = wordAt(bytes);
    return frameLength(next) != 0 && (next & streamFormatMask) == (h & streamFormatMask);
}

// The header word just read from the stream, with its frame behind it.
bool foundFrame(BitReaderState& r, HeaderWord h)
{
    return frameFollows(r.stream, h, r.stream.position() - 4);
}

// An ID3v2 tag (id3.org, ID3v2.4 section 3.1): "ID3", two version bytes below
// 0xFF, flags, and a 28-bit size in four bytes of seven bits each. It can hold
// pictures of any size, and its bytes may look like frame headers, so it is
// passed over by its declared size instead of being searched through.
std::uint64_t skipId3v2Tags(InputStream& s)
{
    std::uint64_t offset = 0;
    for (;;) {
        std::uint8_t tag[10];
        if (!s.seek(offset) || s.read(tag, 10) != 10) break;
        bool isTag = tag[0] == 'I' && tag[1] == 'D' && tag[2] == '3' && tag[3] != 0xFF && tag[4] != 0xFF &&
                     (tag[6] | tag[7] | tag[8] | tag[9]) < 0x80;
        if (!isTag) break;
        std::uint64_t size =
            (std::uint64_t(tag[6]) << 21) | (std::uint64_t(tag[7]) << 14) | (std::uint64_t(tag[8]) << 7) | tag[9];
        bool hasFooter = tag[3] >= 4 && (tag[5] & 0x10) != 0;
        std::uint64_t end = offset + 10 + size + (hasFooter ? 10 : 0);
        if (end > s.size()) break;
        offset = end;
    }
    s.seek(offset);
    return offset;
}

double bytesPerFrame(const FrameHeader& header)
{
    if (header.layer < 1 || header.layer > 3 || header.lsf < 0 || header.lsf > 1 || header.bitrateIndex < 0 ||
        header.bitrateIndex > 15 || header.sampleRateIndex < 0 || header.sampleRateIndex > 8)
        return 0.0;
    return bitrateKbps(header) * 144000.0 / static_cast<double>(sampleRateTable[header.sampleRateIndex] << header.lsf);
}

void startStream(BitReaderState& r)
{
    r.audioStart = skipId3v2Tags(r.stream);
    r.stream.endAt(findEndTagsStart(r.stream, r.audioStart));
    r.stream.seek(r.audioStart);
    r.fileSize = r.stream.size();
    r.reservoirBytes = 0;
    r.bytesLeftBehind = 0;
}

} // namespace

bool openStream(BitReaderState& r, const char* fileName)
{
    if (!r.stream.openFile(fileName)) {
        r.fileSize = 0;
        return false;
    }
    startStream(r);
    return true;
}

void openMemoryStream(BitReaderState& r, const std::uint8_t* data, std::size_t size)
{
    r.stream.openMemory(data, size);
    startStream(r);
}

void closeStream(BitReaderState& r)
{
    r.stream.close();
    r.fileSize = 0;
    r.audioStart = 0;
}

void resetSync(BitReaderState& r)
{
    r.previousHeader = 0;
    r.firstHeader = 0;
    r.streamHeader = 0;
}

void forgetHeaderFrameFormat(BitReaderState& r)
{
    // decodeHeader takes layer and sample rate from the next header again.
    r.previousHeader = 0;
    r.streamHeader = 0;
}

namespace {

FrameRead readNextFrame(BitReaderState& r, FrameHeader& header)
{
    r.previousFrameSize = header.frameSize;

    std::uint8_t bytes[4];
    if (r.stream.read(bytes, 4) < 4) return FrameRead::end;
    HeaderWord h = wordAt(bytes);

    if (h == r.previousHeader && r.previousHeader != 0) {
        header.headerChange = 0;
    } else {
        header.headerChange = 2;
        if (r.previousHeader != 0 && (h & 0x00000C00u) == (r.previousHeader & 0x00000C00u) &&
            ((h & 0xC0u) == 0) == ((r.previousHeader & 0xC0u) == 0))
            header.headerChange = 1;

        if (r.firstHeader == 0 && !isValidHeader(h)) {
            int counted = 0;
            for (;;) {
                std::uint8_t byte;
                if (!readByte(r, byte)) return FrameRead::end;
                h = (h << 8) | byte;
                if ((h & 0xFFFF0000u) == 0xFFFF0000u) continue;
                if (isValidHeader(h) && foundFrame(r, h)) break;
                if (++counted == junkCandidateLimit) return FrameRead::notMp3;
            }
        }

        // A header of another version, layer or sample rate is passed over
        // like any bytes that are not a frame: decoding it with this stream's
        // tables would turn a few bytes into a whole frame of samples. The
        // header that sets layer and sample rate (previousHeader 0: after a
        // header frame) must name ones that exist.
        if (!hasSync(h) || !ofThisStream(r, h) || (r.previousHeader == 0 && !isValidHeader(h)) ||
            (r.firstHeader != 0 && unusableLaterHeader(h, header.sampleRateIndex))) {
            int bytesRead = 0;
            for (;;) {
                std::uint8_t byte;
                if (!readByte(r, byte)) return FrameRead::end;
                if (++bytesRead == resyncByteLimit) return FrameRead::end;
                h = (h << 8) | byte;
                if (((h & resyncMask) == (r.previousHeader & resyncMask) ||
                     (h & resyncMask) == (r.firstHeader & resyncMask)) &&
                    ofThisStream(r, h) && foundFrame(r, h))
                    break;
            }
        }

        if (r.firstHeader == 0) r.firstHeader = h;
        if (!decodeHeader(r, header, h)) return FrameRead::end;
        if (r.streamHeader == 0) r.streamHeader = h;
    }

    std::uint8_t* flipped = r.storage + r.flipIndex * BitReaderState::bufferSize + BitReaderState::leadRoom;
    r.previousBuffer = r.currentBuffer;
    r.currentBuffer = flipped;
    r.flipIndex ^= 1;

    r.reservoirBytes = r.bytesLeftBehind;
    r.bytesLeftBehind = std::max(0, header.frameSize - r.sideInfoSize);

    std::size_t got = r.stream.read(r.currentBuffer, static_cast<std::size_t>(header.frameSize));
    if (got == 0) return FrameRead::end;
    if (got < static_cast<std::size_t>(header.frameSize))
        std::memset(r.currentBuffer + got, 0, static_cast<std::size_t>(header.frameSize) - got);

    r.bytePointer = r.currentBuffer;
    r.bitIndex = 0;
    return FrameRead::frame;
}

} // namespace

FrameRead readFrame(BitReaderState& r, FrameHeader& header)
{
    const FrameRead read = readNextFrame(r, header);
    if (read != FrameRead::end) return read;
    // Bytes in which no frame at all was found are no song (a WAV file, a
    // text); a stream with no bytes, or only tags, is simply over.
    if (r.firstHeader == 0 && r.stream.isOpen() && r.fileSize > r.audioStart) return FrameRead::notMp3;
    return FrameRead::end;
}

bool setMainDataStart(BitReaderState& r, int backstep)
{
    const bool inStream = backstep <= r.reservoirBytes;
    r.bytesLeftBehind += std::min(backstep, r.reservoirBytes);
    std::uint8_t* start = r.currentBuffer + r.sideInfoSize - backstep;
    if (backstep > 0)
        std::memmove(start, r.previousBuffer + r.previousFrameSize - backstep, static_cast<std::size_t>(backstep));
    r.bytePointer = start;
    r.bitIndex = 0;
    return inStream;
}

std::int64_t frameCount(const BitReaderState& r, const FrameHeader& header)
{
    double b = bytesPerFrame(header);
    if (b <= 0.0) return 0;
    return static_cast<std::int64_t>(static_cast<double>(r.fileSize - r.audioStart) / b);
}

namespace {

bool readWord(BitReaderState& r, HeaderWord& h)
{
    std::uint8_t bytes[4];
    if (r.stream.read(bytes, 4) != 4) return false;
    h = wordAt(bytes);
    return true;
}

// From the stream's position on, the first header word that `matches`; the
// stream then stands after it. False at the end of the stream.
template <typename Match>
bool findHeader(BitReaderState& r, HeaderWord& h, Match matches)
{
    if (!readWord(r, h)) return false;
    while (!matches(h)) {
        std::uint8_t byte;
        if (!readByte(r, byte)) return false;
        h = (h << 8) | byte;
    }
    return true;
}

// Reads the frame at the stream's position and the next without decoding
// them, and clears the reservoir: the stream is entered as if it began here,
// so the frames whose main data points back before the place give nothing
// (they would decode zeros, overrun and play as silence) and the first sound
// is the song's own.
void finishSeek(BitReaderState& r, FrameHeader& header)
{
    readFrame(r, header);
    readFrame(r, header);
    clearFrameBuffers(r);
    r.bytesLeftBehind = 0;
}

} // namespace

bool seekFrame(BitReaderState& r, FrameHeader& header, std::int64_t frameNumber)
{
    if (!r.stream.isOpen() || r.firstHeader == 0) return false;
    double b = bytesPerFrame(header);
    if (b <= 0.0 || frameNumber < 0) return false;
    double target = (b + 8.0) * static_cast<double>(frameNumber);
    double audioBytes = static_cast<double>(r.fileSize - r.audioStart);
    if (audioBytes - 4.0 * b < target) return false;
    std::uint64_t offset = r.audioStart + static_cast<std::uint64_t>(target);

    if (!r.stream.seek(offset)) return false;
    HeaderWord h = 0;
    if (!findHeader(r, h,
                    [&](HeaderWord w) { return (w & resyncMask) == (r.firstHeader & resyncMask) && foundFrame(r, w); }))
        return false;
    r.stream.seek(r.stream.position() - 4);
    finishSeek(r, header);
    return true;
}

bool seekToOffset(BitReaderState& r, FrameHeader& header, std::uint64_t offset)
{
    if (!r.stream.isOpen() || r.firstHeader == 0 || offset >= r.fileSize) return false;
    // Frames of a variable-bitrate stream differ in bitrate and padding; they
    // share version, layer, CRC flag and sample rate with the first frame.
    constexpr HeaderWord sameStream = 0xFFFF0C00u;
    auto candidate = [&](HeaderWord w) { return (w & sameStream) == (r.firstHeader & sameStream) && foundFrame(r, w); };
    if (!r.stream.seek(offset)) return false;
    HeaderWord h = 0;
    if (!findHeader(r, h, candidate)) return false;
    r.stream.seek(r.stream.position() - 4);
    finishSeek(r, header);
    return true;
}

bool enterAt(BitReaderState& r, std::uint64_t offset)
{
    if (!r.stream.isOpen() || offset >= r.fileSize || !r.stream.seek(offset)) return false;
    clearFrameBuffers(r);
    r.bytesLeftBehind = 0;
    return true;
}

void clearFrameBuffers(BitReaderState& r)
{
    std::memset(r.storage, 0, 2 * BitReaderState::bufferSize);
    r.bytePointer = r.currentBuffer;
    r.bitIndex = 0;
}

} // namespace mp3
