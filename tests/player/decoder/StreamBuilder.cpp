#include "StreamBuilder.h"

#include <algorithm>
#include <cstring>

#include "BitReader.h"
#include "Mp3Decoder.h"
#include "HuffmanTables.h"

namespace mp3test {

void BitWriter::put(std::uint32_t value, int bits)
{
    for (int i = bits - 1; i >= 0; --i) {
        if (bitCount_ % 8 == 0) bytes_.push_back(0);
        if ((value >> i) & 1) bytes_.back() |= static_cast<std::uint8_t>(0x80 >> (bitCount_ % 8));
        ++bitCount_;
    }
}

void BitWriter::putCode(int table, int x, int y)
{
    const mp3::HuffmanCodeTable& t = mp3::huffmanCodes[table];
    int symbol = table >= 32 ? x : x * t.size + y;
    put(t.codes[symbol], t.lengths[symbol]);
}

void writeSideInfo(BitWriter& out, unsigned mainDataBegin, int channels, const unsigned scfsi[2],
                   const GranuleFields fields[2][2])
{
    out.put(mainDataBegin, 9);
    out.put(0, channels == 1 ? 5 : 3);
    for (int ch = 0; ch < channels; ++ch) out.put(scfsi[ch], 4);
    for (int gr = 0; gr < 2; ++gr) {
        for (int ch = 0; ch < channels; ++ch) {
            const GranuleFields& g = fields[ch][gr];
            out.put(g.part23Length, 12);
            out.put(g.bigValues, 9);
            out.put(g.globalGain, 8);
            out.put(g.scalefacCompress, 4);
            out.put(g.windowSwitching ? 1 : 0, 1);
            if (g.windowSwitching) {
                out.put(g.blockType, 2);
                out.put(g.mixedBlock, 1);
                out.put(g.tableSelect[0], 5);
                out.put(g.tableSelect[1], 5);
                for (unsigned s : g.subblockGain) out.put(s, 3);
            } else {
                for (unsigned t : g.tableSelect) out.put(t, 5);
                out.put(g.region0Count, 4);
                out.put(g.region1Count, 3);
            }
            out.put(g.preflag, 1);
            out.put(g.scalefacScale, 1);
            out.put(g.count1Table, 1);
        }
    }
}

std::unique_ptr<mp3::BitReaderState> loadBits(const std::vector<std::uint8_t>& bytes)
{
    auto reader = std::make_unique<mp3::BitReaderState>();
    mp3::BitReaderState& r = *reader;
    std::size_t room = sizeof r.storage - static_cast<std::size_t>(r.currentBuffer - r.storage);
    std::memcpy(r.currentBuffer, bytes.data(), std::min(bytes.size(), room));
    r.bytePointer = r.currentBuffer;
    r.bitIndex = 0;
    return reader;
}

long bitsConsumed(const mp3::BitReaderState& r)
{
    return static_cast<long>(r.bytePointer - r.currentBuffer) * 8 + r.bitIndex;
}

int bodyLength(mp3::HeaderWord h, int streamSampleRate)
{
    int lsf = (h & 0x00100000u) ? 1 - static_cast<int>((h >> 19) & 1) : 1;
    int kbps = mp3::bitrateTable[lsf][2][(h >> 12) & 15];
    return kbps * 144000 / (streamSampleRate << lsf) + static_cast<int>((h >> 9) & 1) - 4;
}

std::vector<std::uint8_t> frameBytes(mp3::HeaderWord h, const std::vector<std::uint8_t>& body, int streamSampleRate)
{
    std::vector<std::uint8_t> frame = {static_cast<std::uint8_t>(h >> 24), static_cast<std::uint8_t>(h >> 16),
                                       static_cast<std::uint8_t>(h >> 8), static_cast<std::uint8_t>(h)};
    std::vector<std::uint8_t> sized = body;
    sized.resize(static_cast<std::size_t>(bodyLength(h, streamSampleRate)), 0);
    append(frame, sized);
    return frame;
}

void append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& bytes)
{
    to.insert(to.end(), bytes.begin(), bytes.end());
}

} // namespace mp3test
