#include "Hybrid.h"

#include <cmath>
#include <cstring>

#include "FourLanes.h"

namespace mp3 {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr int outStride = 32;

// Alias-reduction coefficients c[i] of ISO/IEC 11172-3, Table 3-B.9.
constexpr double aliasCoefficients[8] = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};

HybridTables buildHybridTables()
{
    HybridTables t;
    for (int i = 0; i < 8; ++i) {
        double q = static_cast<float>(aliasCoefficients[i]);
        double s = std::sqrt(1.0 + q * q);
        t.aliasCs[i] = static_cast<float>(1.0 / s);
        t.aliasCa[i] = static_cast<float>(q / static_cast<float>(s));
    }

    auto longFactor = [](int i) { return 0.5 / std::cos((2 * i + 19) * pi / 72); };
    std::memset(t.imdctWindow, 0, sizeof t.imdctWindow);
    std::memset(t.imdctWindowOdd, 0, sizeof t.imdctWindowOdd);
    for (int i = 0; i < 36; ++i) {
        double normal = std::sin((2 * i + 1) * pi / 72) * longFactor(i);
        t.imdctWindow[0][i] = static_cast<float>(normal);
        t.imdctWindow[3][i] = static_cast<float>(normal);
        t.imdctWindow[1][i] = static_cast<float>(normal);
    }
    for (int i = 18; i < 24; ++i) t.imdctWindow[1][i] = static_cast<float>(longFactor(i));
    for (int i = 24; i < 30; ++i)
        t.imdctWindow[1][i] = static_cast<float>(std::sin((2 * (i - 24) + 13) * pi / 24) * longFactor(i));
    for (int i = 30; i < 36; ++i) t.imdctWindow[1][i] = 0.0f;
    for (int i = 0; i < 6; ++i) t.imdctWindow[3][i] = 0.0f;
    for (int i = 6; i < 12; ++i)
        t.imdctWindow[3][i] = static_cast<float>(std::sin((2 * (i - 6) + 1) * pi / 24) * longFactor(i));
    for (int i = 12; i < 18; ++i) t.imdctWindow[3][i] = static_cast<float>(longFactor(i));
    for (int i = 0; i < 12; ++i)
        t.imdctWindow[2][i] =
            static_cast<float>(0.5 * std::sin((2 * i + 1) * pi / 24) / std::cos((2 * i + 7) * pi / 24));
    for (int i = 12; i < 36; ++i) t.imdctWindow[2][i] = 0.0f;

    const int copied[4] = {36, 36, 12, 36};
    for (int row = 0; row < 4; ++row)
        for (int i = 0; i < copied[row]; ++i)
            t.imdctWindowOdd[row][i] = (i & 1) ? -t.imdctWindow[row][i] : t.imdctWindow[row][i];
    for (int row = 0; row < 4; ++row)
        for (int i = 0; i < 36; ++i)
            for (int lane = 0; lane < 4; ++lane)
                t.imdctWindowLanes[row][i][lane] = (lane & 1) ? t.imdctWindowOdd[row][i] : t.imdctWindow[row][i];

    for (int k = 0; k < 9; ++k) t.cos9Table[k] = static_cast<float>(std::cos(k * pi / 18));
    for (int v = 0; v < 9; ++v) t.halfSecant36[v] = static_cast<float>(0.5 / std::cos((2 * v + 1) * pi / 36));
    for (int v = 0; v < 3; ++v) t.halfSecant12[v] = static_cast<float>(0.5 / std::cos((2 * v + 1) * pi / 12));
    t.cosPi6 = static_cast<float>(std::cos(pi / 6));
    t.cosPi3 = static_cast<float>(std::cos(pi / 3));
    return t;
}

} // namespace

const HybridTables& hybridTables()
{
    static const HybridTables tables = buildHybridTables();
    return tables;
}

void aliasReduce(float* x, const GranuleInfo& granule)
{
    int boundaries;
    if (granule.blockType == 2) {
        if (!granule.mixedBlock) return;
        boundaries = 1;
    } else {
        boundaries = static_cast<int>(granule.maxLine) - 1;
    }
    const HybridTables& t = hybridTables();
    const float* cs = t.aliasCs;
    const float* ca = t.aliasCa;
    // Four butterflies at a time: lane k of a half takes line i = half + k
    // on each side of the boundary, lower[-i] and upper[i].
    for (int b = 1; b <= boundaries; ++b) {
        float* upper = x + 18 * b;
        float* lower = upper - 1;
        for (int half = 0; half < 8; half += 4) {
            const FourLanes lo = FourLanes::loadReversed(lower - half - 3);
            const FourLanes up = FourLanes::load(upper + half);
            const FourLanes c = FourLanes::load(cs + half);
            const FourLanes a = FourLanes::load(ca + half);
            (lo * c - up * a).storeReversed(lower - half - 3);
            (up * c + lo * a).store(upper + half);
        }
    }
}

namespace {

// The 36-point IMDCT with its window, written once for one subband (V is
// float) and for four side by side (V is FourLanes), so that both give the
// same bits. x holds 18 values per lane and is overwritten; window(i) gives
// the window entry i for each lane; emit(slot, value) stores an output slot.
template <typename V, typename Window, typename Emit>
void imdct36Lanes(V* x, const V* prev, V* next, Window window, Emit emitSlot)
{
    const HybridTables& t = hybridTables();
    const float* u = t.cos9Table;
    const float* h = t.halfSecant36;

    for (int i = 17; i >= 1; --i) x[i] += x[i - 1];
    for (int i = 17; i >= 3; i -= 2) x[i] += x[i - 2];

    auto emit = [&](int v, V sum0, V sum1) {
        V t = sum0 + sum1;
        next[9 + v] = t * window(27 + v);
        next[8 - v] = t * window(26 - v);
        V d = sum0 - sum1;
        emitSlot(8 - v, prev[8 - v] + d * window(8 - v));
        emitSlot(9 + v, prev[9 + v] + d * window(9 + v));
    };

    // Each pair of formulas runs on the even inputs (a) and the odd inputs (b).
    auto pair08 = [&](const V* s, V& p1, V& p2) {
        p1 = s[2] * u[1] + s[6] * u[3] + s[10] * u[5] + s[14] * u[7];
        p2 = s[0] + s[4] * u[2] + s[8] * u[4] + s[12] * u[6] + s[16] * u[8];
    };
    auto pair17 = [&](const V* s, V& p1, V& p2) {
        p1 = (s[2] - s[10] - s[14]) * u[3];
        p2 = (s[4] - s[8] - s[16]) * u[6] - s[12] + s[0];
    };
    auto pair26 = [&](const V* s, V& p1, V& p2) {
        p1 = s[2] * u[5] - s[6] * u[3] - s[10] * u[7] + s[14] * u[1];
        p2 = s[0] - s[4] * u[8] - s[8] * u[2] + s[12] * u[6] + s[16] * u[4];
    };
    auto pair35 = [&](const V* s, V& p1, V& p2) {
        p1 = s[2] * u[7] - s[6] * u[3] + s[10] * u[1] - s[14] * u[5];
        p2 = s[0] - s[4] * u[4] + s[8] * u[8] + s[12] * u[6] - s[16] * u[2];
    };

    // Each formula pair gives outputs v and 8 - v.
    auto emitPair = [&](auto formulas, int v) {
        V p1a, p2a, p1b, p2b;
        formulas(x, p1a, p2a);
        formulas(x + 1, p1b, p2b);
        emit(v, p1a + p2a, (p1b + p2b) * h[v]);
        emit(8 - v, p2a - p1a, (p2b - p1b) * h[8 - v]);
    };
    emitPair(pair08, 0);
    emitPair(pair17, 1);
    emitPair(pair26, 2);
    emitPair(pair35, 3);
    emit(4, x[0] - x[4] + x[8] - x[12] + x[16], (x[1] - x[5] + x[9] - x[13] + x[17]) * h[4]);
}

// Subbands first..first + 3 (first even) of a long-block granule in one pass:
// the lanes take the even window, the odd one, the even and the odd again.
void imdct36Four(float* x, const float* prev, float* next, const float (*window)[4], float* out)
{
    FourLanes in[18], before[18], after[18];
    loadAcross(x, 18, 18, in);
    loadAcross(prev, 18, 18, before);
    imdct36Lanes(
        in, before, after, [window](int i) { return FourLanes::load(window[i]); },
        [out](int slot, FourLanes value) { value.store(out + slot * outStride); });
    storeAcross(after, 18, next, 18);
}

} // namespace

void imdct36(float* x, const float* prev, float* next, const float* w, float* out)
{
    imdct36Lanes(
        x, prev, next, [w](int i) { return w[i]; }, [out](int slot, float value) { out[slot * outStride] = value; });
}

void imdct12(const float* x, const float* prev, float* next, const float* w, float* out)
{
    const HybridTables& t = hybridTables();
    float frame[36] = {};
    for (int k = 0; k < 3; ++k) {
        const float a0 = x[k], a1 = x[3 + k], a2 = x[6 + k], a3 = x[9 + k], a4 = x[12 + k], a5 = x[15 + k];
        float i5 = a5 + a4, i4 = a4 + a3, i3 = a3 + a2, i2 = a2 + a1, i1 = a1 + a0, i0 = a0;
        i5 += i3;
        i3 += i1;
        i2 *= t.cosPi6;
        i3 *= t.cosPi6;

        float t1 = i0 - i4;
        float t2 = (i1 - i5) * t.halfSecant12[1];
        float e0 = t1 + t2;
        float e1 = t1 - t2;

        i0 += i4 * t.cosPi3;
        i4 = i0 + i2;
        i0 -= i2;
        i1 += i5 * t.cosPi3;
        i5 = (i1 + i3) * t.halfSecant12[0];
        i1 = (i1 - i3) * t.halfSecant12[2];
        i3 = i4 + i5;
        i4 -= i5;
        i2 = i0 + i1;
        i0 -= i1;

        float* z = frame + 6 + 6 * k;
        z[10] += e0 * w[10];
        z[7] += e0 * w[7];
        z[1] += e1 * w[1];
        z[4] += e1 * w[4];
        z[11] += i2 * w[11];
        z[6] += i2 * w[6];
        z[8] += i3 * w[8];
        z[9] += i3 * w[9];
        z[0] += i0 * w[0];
        z[5] += i0 * w[5];
        z[2] += i4 * w[2];
        z[3] += i4 * w[3];
    }
    for (int i = 0; i < 18; ++i) {
        out[i * outStride] = prev[i] + frame[i];
        next[i] = frame[18 + i];
    }
}

void hybridSynthesis(HybridState& st, float* x, float* samples, int channel, const GranuleInfo& granule)
{
    const HybridTables& t = hybridTables();
    const int s = st.overlapSelect[channel];
    const float* previous = st.overlapStore[s][channel];
    float* next = st.overlapStore[1 - s][channel];
    st.overlapSelect[channel] = 1 - s;

    const int maxLine = static_cast<int>(granule.maxLine);
    // Subbands go in even/odd pairs, the odd one with the negated window, so
    // an odd limit also transforms the subband after it.
    auto transformPairs = [&](auto transform, int from, int to, const float* evenWindow, const float* oddWindow) {
        int sb = from;
        for (; sb < to; sb += 2) {
            transform(x + 18 * sb, previous + 18 * sb, next + 18 * sb, evenWindow, samples + sb);
            transform(x + 18 * (sb + 1), previous + 18 * (sb + 1), next + 18 * (sb + 1), oddWindow, samples + sb + 1);
        }
        return sb;
    };
    int sb = 0;
    if (granule.mixedBlock) sb = transformPairs(imdct36, 0, 2, t.imdctWindow[0], t.imdctWindowOdd[0]);
    if (granule.blockType == 2) {
        sb = transformPairs(imdct12, sb, maxLine, t.imdctWindow[2], t.imdctWindowOdd[2]);
    } else {
        // Two pairs at a time while the second pair is still transformed.
        const int type = static_cast<int>(granule.blockType);
        for (; sb + 2 < maxLine; sb += 4)
            imdct36Four(x + 18 * sb, previous + 18 * sb, next + 18 * sb, t.imdctWindowLanes[type], samples + sb);
        sb = transformPairs(imdct36, sb, maxLine, t.imdctWindow[type], t.imdctWindowOdd[type]);
    }
    for (; sb < 32; ++sb) {
        for (int i = 0; i < 18; ++i) {
            samples[i * outStride + sb] = previous[18 * sb + i];
            next[18 * sb + i] = 0.0f;
        }
    }
}

} // namespace mp3
