#include "Requantise.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "BitReader.h"
#include "HuffmanTables.h"

namespace mp3 {

const std::int32_t preTable[22] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};

namespace {

const std::int32_t noPreTable[22] = {};

void buildBandMap(BandMap& m, int j)
{
    const std::int32_t* row = bandTable[j];
    const std::int32_t* longWidths = row + 23;
    const std::int32_t* shortWidths = row + 59;

    auto addShortBands = [&](BandRun* runs, int& count, int firstBand, int line) {
        for (int b = firstBand; b < 13; ++b) {
            int pairs = shortWidths[b] >> 1;
            for (int w = 0; w < 3; ++w) runs[count++] = BandRun{pairs, line + w, w, b};
            line += 6 * pairs;
        }
    };

    int count = 0;
    int line = 0;
    for (int b = 0; b < 8; ++b) {
        m.mixed[count++] = BandRun{longWidths[b] >> 1, line, 3, b};
        line += longWidths[b];
    }
    addShortBands(m.mixed, count, 3, line);
    m.mixedEnd = count;

    count = 0;
    addShortBands(m.shortRuns, count, 0, 0);
    m.shortEnd = count;

    line = 0;
    for (int b = 0; b < 22; ++b) {
        m.longRuns[b] = BandRun{longWidths[b] >> 1, line, 3, b};
        line += longWidths[b];
    }
    m.longEnd = 22;
}

inline std::uint32_t loadBigEndian32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

// Reads bits MSB first through a 64-bit window for the hot loop, four bytes
// at a time. It loads up to eight bytes past the last bit it hands out: the
// reader keeps zeroed guard space after its buffers.
class BitCache {
public:
    BitCache(const std::uint8_t* p, int bitIndex) : start_(p), next_(p)
    {
        refill();
        skip(bitIndex);
    }
    // Afterwards at least 32 bits are in the window.
    void refill()
    {
        if (count_ < 32) {
            cache_ |= std::uint64_t(loadBigEndian32(next_)) << (32 - count_);
            next_ += 4;
            count_ += 32;
        }
    }
    std::uint32_t peek() const { return static_cast<std::uint32_t>(cache_ >> 32); }
    // n at most the bits in the window
    void skip(int n)
    {
        cache_ <<= n;
        count_ -= n;
    }
    // 1 <= n <= 32, at most the bits in the window
    std::uint32_t take(int n)
    {
        std::uint32_t v = static_cast<std::uint32_t>(cache_ >> (64 - n));
        skip(n);
        return v;
    }
    // Bits handed out since the start pointer, counting the first bit index.
    std::ptrdiff_t consumed() const { return (next_ - start_) * 8 - count_; }
    const std::uint8_t* start() const { return start_; }

private:
    const std::uint8_t* start_;
    const std::uint8_t* next_;
    std::uint64_t cache_ = 0;
    int count_ = 0;
};

// Walks the runs of a granule, writing values at their lines with their gain.
struct RunWriter {
    const BandRun* runs;
    int runEnd;
    int nextRun = 0;
    int pairsLeft = 0;
    int position = 0;
    int runEndPosition = 0; // one step past the current run's last line
    int step = 1;
    int window = 3;
    int band = 0;
    float gain = 0.0f;
    int maxBand[4] = {-1, -1, -1, -1}; // short windows 0..2, then long runs

    const float* gainTable;
    const ScaleFactors* scaleFactors;
    const std::int32_t* pre;
    const GranuleInfo* granule;
    int shift;

    // Makes a run with pairs left current; false when there is no run left
    // (only possible with an empty band table).
    bool ensureRun()
    {
        while (pairsLeft == 0) {
            if (nextRun == runEnd) return false;
            const BandRun& r = runs[nextRun];
            std::int32_t sf = (*scaleFactors)[nextRun];
            ++nextRun;
            pairsLeft = r.pairs;
            position = r.start;
            window = r.window;
            band = r.band;
            if (window == 3) {
                step = 1;
                gain = gainTable[granule->granuleGain + ((sf + pre[band]) << shift)];
            } else {
                step = 3;
                gain = gainTable[granule->windowGain[window] + (sf << shift)];
            }
            runEndPosition = position + 2 * step * pairsLeft;
        }
        return true;
    }

    bool beginPair()
    {
        if (!ensureRun()) return false;
        --pairsLeft;
        return true;
    }
};

// One big value: the escape bits when it is 15 in a table with linbits, then
// its sign bit when it is not 0. The sign is applied without a branch, since
// it is unpredictable; powerTable[0] is 0, so a zero costs no bit and no branch.
inline float bigValue(BitCache& in, const float* powerTable, unsigned value, int linbits, float gain, int& remaining)
{
    if (value == 15 && linbits > 0) {
        in.refill();
        value += in.take(linbits);
        remaining -= linbits;
    }
    const unsigned nonzero = value != 0;
    const std::uint32_t sign = (in.peek() >> 31) & nonzero;
    in.skip(static_cast<int>(nonzero));
    remaining -= static_cast<int>(nonzero);
    return std::bit_cast<float>(std::bit_cast<std::uint32_t>(powerTable[value] * gain) ^ (sign << 31));
}

template <bool MidSide>
inline void put(float* left, float* right, int line, float value)
{
    if constexpr (MidSide) {
        float mid = left[line];
        right[line] = mid - value;
        left[line] = mid + value;
    } else {
        (void)right;
        left[line] = value;
    }
}

template <bool MidSide>
inline void putZero(float* left, float* right, int line)
{
    if constexpr (MidSide)
        right[line] = left[line];
    else {
        (void)right;
        left[line] = 0.0f;
    }
}

// The flags set among four, from a table of 16 nibbles (nibble k holds the
// count for k): the target machine need not have a population count.
inline int flagCount(unsigned flags)
{
    return static_cast<int>((0x4332322132212110ull >> (4 * flags)) & 15);
}

// A quadruple whose four values lie in the current run and whose sign bits
// are all there: one sign bit follows the code word for each flag set, and
// the values are 0, +gain or -gain without a branch on the data. Writing +0
// for a zero line equals putZero, also for mid/side: mid lines come from
// the plain pass and are never -0, so mid + 0 and mid - 0 are mid.
template <bool MidSide>
inline void putQuadruple(float* left, float* right, RunWriter& w, unsigned flags, int signBits, BitCache& in)
{
    const float values[3] = {0.0f, w.gain, -w.gain};
    std::uint32_t signs = in.peek();
    for (int i = 0; i < 4; ++i) {
        const unsigned set = (flags >> (3 - i)) & 1;
        const unsigned negative = (signs >> 31) & set;
        signs <<= set;
        put<MidSide>(left, right, w.position, values[set + negative]);
        w.position += w.step;
    }
    in.skip(signBits);
    w.pairsLeft -= 2;
    if (flags != 0) w.maxBand[w.window] = w.band;
}

template <bool MidSide>
bool decodeGranule(BitReaderState& reader, float* left, float* right, const ScaleFactors& sf, GranuleInfo& g, int rate,
                   int part2Bits)
{
    const RequantiseTables& tables = requantiseTables();
    const float* const powerTable = tables.powerTable;
    const HuffmanTableArray& huffmanTables = mp3::huffmanTables();
    const bool shortGranule = g.blockType == 2;
    const BandMap& map = tables.bandMap[rate];
    RunWriter w;
    w.gainTable = tables.gainTable;
    if (!shortGranule) {
        w.runs = map.longRuns;
        w.runEnd = map.longEnd;
    } else if (g.mixedBlock) {
        w.runs = map.mixed;
        w.runEnd = map.mixedEnd;
    } else {
        w.runs = map.shortRuns;
        w.runEnd = map.shortEnd;
    }
    w.scaleFactors = &sf;
    w.pre = g.preflag ? preTable : noPreTable;
    w.granule = &g;
    w.shift = 1 + static_cast<int>(g.scalefacScale);
    if (shortGranule && g.mixedBlock) w.maxBand[0] = w.maxBand[1] = w.maxBand[2] = 2;

    int remaining = static_cast<int>(g.part23Length) - part2Bits;
    const int bigValues = static_cast<int>(g.bigValues);
    const int r1 = static_cast<int>(g.region1Start);
    // Region counts that run past the band table can put region 2 before
    // region 1; such a region 1 is empty rather than negative.
    const int r2 = std::max(static_cast<int>(g.region2Start), r1);
    int regionLength[3];
    if (bigValues <= r1) {
        regionLength[0] = bigValues, regionLength[1] = 0, regionLength[2] = 0;
    } else if (bigValues <= r2) {
        regionLength[0] = r1, regionLength[1] = bigValues - r1, regionLength[2] = 0;
    } else {
        regionLength[0] = r1, regionLength[1] = r2 - r1, regionLength[2] = bigValues - r2;
    }
    const int regions = shortGranule ? 2 : 3;
    int quadruples = (288 - bigValues) / 2;

    BitCache in(reader.bytePointer, reader.bitIndex);
    bool runsLeft = true;

    for (int region = 0; region < regions && runsLeft; ++region) {
        const HuffmanTable& table = huffmanTables[g.tableSelect[region] & 31];
        const int linbits = table.linbits;
        int pairsInRegion = regionLength[region];
        // A stretch of pairs that lies in one run, with one gain and step.
        while (pairsInRegion > 0) {
            if (!w.ensureRun()) {
                runsLeft = false;
                break;
            }
            const int pairs = std::min(w.pairsLeft, pairsInRegion);
            w.pairsLeft -= pairs;
            pairsInRegion -= pairs;
            const int step = w.step;
            const float gain = w.gain;
            int line = w.position;
            unsigned anyNonZero = 0;
            // Indexed by a sign bit; -(a * g) is a * -g exactly.
            const float signedGain[2] = {gain, -gain};
            for (int pair = 0; pair < pairs; ++pair) {
                // A code word and two sign bits fit the refilled window;
                // escapes refill again.
                in.refill();
                const std::uint32_t peek = in.peek();
                const std::uint32_t leaf = huffmanDecode(table, peek);
                const int length = huffmanLength(leaf);
                const unsigned symbol = huffmanSymbol(leaf);
                const unsigned x = symbol >> 4;
                const unsigned y = symbol & 15;
                anyNonZero |= symbol;
                if (linbits > 0 && (x == 15 || y == 15)) {
                    in.skip(length);
                    remaining -= length;
                    put<MidSide>(left, right, line, bigValue(in, powerTable, x, linbits, gain, remaining));
                    put<MidSide>(left, right, line + step, bigValue(in, powerTable, y, linbits, gain, remaining));
                } else {
                    // No escape bits: the sign bits follow the code word in
                    // the same peek, one for each value that is not 0.
                    const unsigned xSigned = x != 0;
                    const unsigned ySigned = y != 0;
                    const std::uint32_t signs = peek << length;
                    const unsigned xSign = (signs >> 31) & xSigned;
                    const unsigned ySign = ((signs << xSigned) >> 31) & ySigned;
                    const int used = length + static_cast<int>(xSigned + ySigned);
                    in.skip(used);
                    remaining -= used;
                    put<MidSide>(left, right, line, powerTable[x] * signedGain[xSign]);
                    put<MidSide>(left, right, line + step, powerTable[y] * signedGain[ySign]);
                }
                line += 2 * step;
            }
            w.position = line;
            if (anyNonZero) w.maxBand[w.window] = w.band;
        }
    }

    const HuffmanTable& quadTable = huffmanTables[32 + (g.count1Table & 1)];
    while (runsLeft && quadruples > 0 && remaining > 0) {
        // A code word and its four sign bits fit the refilled window.
        in.refill();
        std::uint32_t leaf = huffmanDecode(quadTable, in.peek());
        int length = huffmanLength(leaf);
        if (length > remaining) {
            // The granule's bits end inside this code word: its flags are all 0.
            in.skip(remaining);
            remaining = 0;
            break;
        }
        in.skip(length);
        remaining -= length;
        unsigned flags = huffmanSymbol(leaf);
        const int signBits = flagCount(flags);
        if (w.ensureRun() && w.pairsLeft >= 2 && signBits <= remaining) {
            putQuadruple<MidSide>(left, right, w, flags, signBits, in);
            remaining -= signBits;
            --quadruples;
            continue;
        }
        // The quadruple crosses into another run, or the bits end in it.
        bool stopped = false;
        for (int i = 0; i < 4; ++i) {
            if ((i == 0 || i == 2) && !w.beginPair()) {
                runsLeft = false;
                stopped = true;
                break;
            }
            if (flags & (8u >> i)) {
                w.maxBand[w.window] = w.band;
                if (remaining - 1 < 0) {
                    stopped = true;
                    break;
                }
                remaining -= 1;
                put<MidSide>(left, right, w.position, in.take(1) ? -w.gain : w.gain);
            } else {
                putZero<MidSide>(left, right, w.position);
            }
            w.position += w.step;
        }
        --quadruples;
        if (stopped) break;
    }

    // The zero part: everything not written above.
    if (!shortGranule) {
        for (int line = w.position; line < 576; ++line) putZero<MidSide>(left, right, line);
    } else {
        for (;;) {
            for (; w.position < w.runEndPosition; w.position += w.step) putZero<MidSide>(left, right, w.position);
            if (w.nextRun == w.runEnd) break;
            const BandRun& r = w.runs[w.nextRun++];
            w.step = r.window == 3 ? 1 : 3;
            w.position = r.start;
            w.runEndPosition = r.start + 2 * w.step * r.pairs;
        }
    }

    for (int k = 0; k < 4; ++k) g.highestBand[k] = w.maxBand[k];
    if (!shortGranule) {
        g.maxLine = static_cast<std::uint32_t>(tables.longLimit[rate][w.maxBand[3] + 1]);
    } else {
        int top = std::max(w.maxBand[0], std::max(w.maxBand[1], w.maxBand[2])) + 1;
        g.maxLine = static_cast<std::uint32_t>(top != 0 ? tables.shortLimit[rate][top]
                                                        : tables.longLimit[rate][w.maxBand[3] + 1]);
    }

    const std::ptrdiff_t position = in.consumed() + std::max(remaining, 0);
    reader.bytePointer = in.start() + (position >> 3);
    reader.bitIndex = static_cast<int>(position & 7);
    return remaining < 0;
}

RequantiseTables buildRequantiseTables()
{
    constexpr int subbandLimit = 32;
    RequantiseTables t;
    for (int k = 0; k < 378; ++k) t.gainTable[k] = static_cast<float>(std::pow(2.0, -(k - 46) / 4.0));
    for (int x = 0; x < 8207; ++x) t.powerTable[x] = static_cast<float>(std::pow(static_cast<double>(x), 4.0 / 3.0));
    for (int j = 0; j < 9; ++j) {
        buildBandMap(t.bandMap[j], j);
        for (int b = 0; b < 23; ++b) t.longLimit[j][b] = std::min(subbandLimit, (bandTable[j][b] + 7) / 18 + 1);
        for (int b = 0; b < 14; ++b) t.shortLimit[j][b] = std::min(subbandLimit, (bandTable[j][45 + b] - 1) / 18 + 1);
    }
    return t;
}

} // namespace

const RequantiseTables& requantiseTables()
{
    static const RequantiseTables tables = buildRequantiseTables();
    return tables;
}

bool requantise(BitReaderState& reader, float* spectrum, const ScaleFactors& scaleFactors, GranuleInfo& granule,
                int sampleRateIndex, int part2Bits)
{
    return decodeGranule<false>(reader, spectrum, nullptr, scaleFactors, granule, sampleRateIndex, part2Bits);
}

bool requantiseMidSide(BitReaderState& reader, float* spectrumBlock, const ScaleFactors& scaleFactors,
                       GranuleInfo& granule, int sampleRateIndex, int part2Bits)
{
    return decodeGranule<true>(reader, spectrumBlock, spectrumBlock + 576, scaleFactors, granule, sampleRateIndex,
                               part2Bits);
}

} // namespace mp3
