#include "Synthesis.h"

#include <cmath>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#endif

namespace mp3 {

// The first 257 coefficients of the synthesis window (ISO/IEC 11172-3,
// Table 3-B.3) times 65536; the window is symmetric about entry 256.
const std::int32_t synthesisWindowHalf[257] = {
    0,     -1,    -1,    -1,    -1,    -1,    -1,    -2,    -2,    -2,    -2,    -3,    -3,    -4,    -4,    -5,
    -5,    -6,    -7,    -7,    -8,    -9,    -10,   -11,   -13,   -14,   -16,   -17,   -19,   -21,   -24,   -26,
    -29,   -31,   -35,   -38,   -41,   -45,   -49,   -53,   -58,   -63,   -68,   -73,   -79,   -85,   -91,   -97,
    -104,  -111,  -117,  -125,  -132,  -139,  -147,  -154,  -161,  -169,  -176,  -183,  -190,  -196,  -202,  -208,
    -213,  -218,  -222,  -225,  -227,  -228,  -228,  -227,  -224,  -221,  -215,  -208,  -200,  -189,  -177,  -163,
    -146,  -127,  -106,  -83,   -57,   -29,   2,     36,    72,    111,   153,   197,   244,   294,   347,   401,
    459,   519,   581,   645,   711,   779,   848,   919,   991,   1064,  1137,  1210,  1283,  1356,  1428,  1498,
    1567,  1634,  1698,  1759,  1817,  1870,  1919,  1962,  2001,  2032,  2057,  2075,  2085,  2087,  2080,  2063,
    2037,  2000,  1952,  1893,  1822,  1739,  1644,  1535,  1414,  1280,  1131,  970,   794,   605,   402,   185,
    -45,   -288,  -545,  -814,  -1095, -1388, -1692, -2006, -2330, -2663, -3004, -3351, -3705, -4063, -4425, -4788,
    -5153, -5517, -5879, -6237, -6589, -6935, -7271, -7597, -7910, -8209, -8491, -8755, -8998, -9219, -9416, -9585,
    -9727, -9838, -9916, -9959, -9966, -9935, -9863, -9750, -9592, -9389, -9139, -8840, -8492, -8092, -7640, -7134,
    -6574, -5959, -5288, -4561, -3776, -2935, -2037, -1082, -70,   998,   2122,  3300,  4533,  5818,  7154,  8540,
    9975,  11455, 12980, 14548, 16155, 17799, 19478, 21189, 22929, 24694, 26482, 28289, 30112, 31947, 33791, 35640,
    37489, 39336, 41176, 43006, 44821, 46617, 48390, 50137, 51853, 53534, 55178, 56778, 58333, 59838, 61289, 62684,
    64019, 65290, 66494, 67629, 68692, 69679, 70590, 71420, 72169, 72835, 73415, 73908, 74313, 74630, 74856, 74992,
    75038};

namespace {

// Row j of the matrix reads history row historyRow(j) of the window source.
constexpr int historyRow(int j)
{
    return j <= 16 ? j : 32 - j;
}

void buildSynthesisMatrix(SynthesisTables& s)
{
    const float* D = s.synthesisWindow;
    for (int m = 0; m < 8; ++m) {
        const int r1 = 2 * m + 1;
        const int w0 = 16 - r1;
        float(*rows)[16] = s.synthesisMatrix[m];
        for (int j = 0; j < 16; ++j)
            for (int k = 0; k < 16; ++k) rows[j][k] = (k & 1) ? -D[w0 + 32 * j + k] : D[w0 + 32 * j + k];
        for (int k = 0; k < 16; ++k) rows[16][k] = (k & 1) ? 0.0f : D[w0 + 512 + k];
        for (int n = 0; n < 15; ++n) {
            const int q = 496 + r1 - 32 * n;
            for (int k = 0; k < 15; ++k) rows[17 + n][k] = -D[q - 1 - k];
            rows[17 + n][15] = -D[q];
        }
    }
}

SynthesisTables buildSynthesisTables()
{
    // Full scale of 16-bit samples.
    constexpr int outputScale = 32768;
    SynthesisTables s;
    constexpr double pi = 3.14159265358979323846;
    float* tables[5] = {s.synthesisCos0, s.synthesisCos1, s.synthesisCos2, s.synthesisCos3, s.synthesisCos4};
    for (int k = 0; k < 5; ++k)
        for (int i = 0; i < (16 >> k); ++i)
            tables[k][i] = static_cast<float>(1.0 / (2.0 * std::cos((2 * i + 1) * pi / (64 >> k))));

    // Arranged so that each output sample reads 16 consecutive coefficients.
    std::memset(s.synthesisWindow, 0, sizeof s.synthesisWindow);
    int scale = -outputScale;
    int t = 0;
    for (int i = 0; i < 512; ++i) {
        int j = i <= 255 ? i : 512 - i;
        if (t < 528) {
            float value = static_cast<float>(static_cast<double>(scale) * synthesisWindowHalf[j] / 65536.0);
            s.synthesisWindow[t] = value;
            s.synthesisWindow[t + 16] = value;
        }
        if (i % 32 == 31) t -= 1023;
        if (i % 64 == 63) scale = -scale;
        t += 32;
    }
    buildSynthesisMatrix(s);
    return s;
}

} // namespace

const SynthesisTables& synthesisTables()
{
    static const SynthesisTables tables = buildSynthesisTables();
    return tables;
}

void synthesisDct(float* out0, float* out1, const float* s)
{
    const SynthesisTables& st = synthesisTables();
    const float* T0 = st.synthesisCos0;
    const float* T1 = st.synthesisCos1;
    const float* T2 = st.synthesisCos2;
    const float* T3 = st.synthesisCos3;
    const float T4 = st.synthesisCos4[0];
    float A[32], B[32];

    for (int i = 0; i < 16; ++i) {
        A[i] = s[i] + s[31 - i];
        A[31 - i] = (s[i] - s[31 - i]) * T0[i];
    }
    for (int i = 0; i < 8; ++i) {
        B[i] = A[i] + A[15 - i];
        B[15 - i] = (A[i] - A[15 - i]) * T1[i];
        B[16 + i] = A[16 + i] + A[31 - i];
        B[31 - i] = (A[31 - i] - A[16 + i]) * T1[i];
    }
    for (int m = 0; m < 32; m += 8) {
        const bool reversed = m == 8 || m == 24;
        for (int i = 0; i < 4; ++i) {
            A[m + i] = B[m + i] + B[m + 7 - i];
            float d = B[m + i] - B[m + 7 - i];
            A[m + 7 - i] = (reversed ? -d : d) * T2[i];
        }
    }
    for (int m = 0; m < 32; m += 4) {
        const bool reversed = (m / 4) % 2 == 1;
        B[m] = A[m] + A[m + 3];
        B[m + 1] = A[m + 1] + A[m + 2];
        float d1 = A[m + 1] - A[m + 2];
        float d0 = A[m] - A[m + 3];
        B[m + 2] = (reversed ? -d1 : d1) * T3[1];
        B[m + 3] = (reversed ? -d0 : d0) * T3[0];
    }
    for (int p = 0; p < 16; ++p) {
        A[2 * p] = B[2 * p] + B[2 * p + 1];
        float d = B[2 * p] - B[2 * p + 1];
        A[2 * p + 1] = ((p & 1) ? -d : d) * T4;
    }
    for (int q = 0; q < 32; q += 4) A[q + 2] += A[q + 3];
    for (int q = 0; q < 32; q += 8) {
        A[q + 4] += A[q + 6];
        A[q + 6] += A[q + 5];
        A[q + 5] += A[q + 7];
    }
    for (int q = 0; q < 32; q += 16) {
        A[q + 8] += A[q + 12];
        A[q + 12] += A[q + 10];
        A[q + 10] += A[q + 14];
        A[q + 14] += A[q + 9];
        A[q + 9] += A[q + 13];
        A[q + 13] += A[q + 11];
        A[q + 11] += A[q + 15];
    }

    out0[16 * 0] = A[1];
    out0[16 * 1] = A[30] + A[17];
    out0[16 * 2] = A[14];
    out0[16 * 3] = A[22] + A[30];
    out0[16 * 4] = A[6];
    out0[16 * 5] = A[26] + A[22];
    out0[16 * 6] = A[10];
    out0[16 * 7] = A[18] + A[26];
    out0[16 * 8] = A[2];
    out0[16 * 9] = A[28] + A[18];
    out0[16 * 10] = A[12];
    out0[16 * 11] = A[20] + A[28];
    out0[16 * 12] = A[4];
    out0[16 * 13] = A[24] + A[20];
    out0[16 * 14] = A[8];
    out0[16 * 15] = A[16] + A[24];
    out0[16 * 16] = A[0];

    out1[16 * 0] = A[1];
    out1[16 * 1] = A[17] + A[25];
    out1[16 * 2] = A[9];
    out1[16 * 3] = A[25] + A[21];
    out1[16 * 4] = A[5];
    out1[16 * 5] = A[21] + A[29];
    out1[16 * 6] = A[13];
    out1[16 * 7] = A[29] + A[19];
    out1[16 * 8] = A[3];
    out1[16 * 9] = A[19] + A[27];
    out1[16 * 10] = A[11];
    out1[16 * 11] = A[27] + A[23];
    out1[16 * 12] = A[7];
    out1[16 * 13] = A[23] + A[31];
    out1[16 * 14] = A[15];
    out1[16 * 15] = A[31];
}

namespace {

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)

// 32 dot products of 16 taps: four rows at a time, summed across with a
// transpose.
void windowSums(const float (*rows)[16], const float* b, float* sums)
{
    for (int j = 0; j < 32; j += 4) {
        __m128 acc[4];
        for (int i = 0; i < 4; ++i) {
            const float* w = rows[j + i];
            const float* v = b + 16 * historyRow(j + i);
            __m128 a = _mm_mul_ps(_mm_load_ps(w), _mm_loadu_ps(v));
            a = _mm_add_ps(a, _mm_mul_ps(_mm_load_ps(w + 4), _mm_loadu_ps(v + 4)));
            a = _mm_add_ps(a, _mm_mul_ps(_mm_load_ps(w + 8), _mm_loadu_ps(v + 8)));
            acc[i] = _mm_add_ps(a, _mm_mul_ps(_mm_load_ps(w + 12), _mm_loadu_ps(v + 12)));
        }
        _MM_TRANSPOSE4_PS(acc[0], acc[1], acc[2], acc[3]);
        _mm_storeu_ps(sums + j, _mm_add_ps(_mm_add_ps(acc[0], acc[1]), _mm_add_ps(acc[2], acc[3])));
    }
}

#else

void windowSums(const float (*rows)[16], const float* b, float* sums)
{
    for (int j = 0; j < 32; ++j) {
        const float* w = rows[j];
        const float* v = b + 16 * historyRow(j);
        float lanes[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        for (int k = 0; k < 16; ++k) lanes[k & 3] += w[k] * v[k];
        sums[j] = (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
    }
}

std::int32_t toSample(float sum)
{
    if (sum > 32767.0f) return 32767;
    if (sum < -32768.0f) return -32768;
    return static_cast<std::int32_t>(std::lrintf(sum));
}

#endif

} // namespace

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)

// Rounds to nearest (ties to even, the default rounding mode) after saturating,
// and interleaves left and right.
void storeSamples(const float* left, const float* right, std::uint8_t* out)
{
    const __m128 high = _mm_set1_ps(32767.0f);
    const __m128 low = _mm_set1_ps(-32768.0f);
    for (int j = 0; j < 32; j += 4) {
        __m128 l = _mm_max_ps(_mm_min_ps(_mm_loadu_ps(left + j), high), low);
        __m128 r = _mm_max_ps(_mm_min_ps(_mm_loadu_ps(right + j), high), low);
        __m128i lo = _mm_cvtps_epi32(_mm_unpacklo_ps(l, r));
        __m128i hi = _mm_cvtps_epi32(_mm_unpackhi_ps(l, r));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * j), _mm_packs_epi32(lo, hi));
    }
}

#else

void storeSamples(const float* left, const float* right, std::uint8_t* out)
{
    for (int j = 0; j < 32; ++j) {
        std::int32_t l = toSample(left[j]);
        std::int32_t r = toSample(right[j]);
        out[4 * j + 0] = static_cast<std::uint8_t>(l & 0xFF);
        out[4 * j + 1] = static_cast<std::uint8_t>((l >> 8) & 0xFF);
        out[4 * j + 2] = static_cast<std::uint8_t>(r & 0xFF);
        out[4 * j + 3] = static_cast<std::uint8_t>((r >> 8) & 0xFF);
    }
}

#endif

void synthesize(SynthesisState& s, const float* left, const float* right)
{
    const int r = (s.ringOffset - 1) & 15;
    s.ringOffset = r;
    // The window source and its offset r1 (always odd) depend on the parity of r.
    const int r1 = (r & 1) ? r : r + 1;
    const float(*rows)[16] = synthesisTables().synthesisMatrix[r1 >> 1];

    alignas(16) float sums[2][32];
    const float* channels[2] = {left, right};
    for (int ch = 0; ch < 2; ++ch) {
        float* h0 = s.synthesisBuffer[ch][0];
        float* h1 = s.synthesisBuffer[ch][1];
        if (r & 1) {
            synthesisDct(h1 + ((r + 1) & 15), h0 + r, channels[ch]);
            windowSums(rows, h0, sums[ch]);
        } else {
            synthesisDct(h0 + r, h1 + r + 1, channels[ch]);
            windowSums(rows, h1, sums[ch]);
        }
    }
    storeSamples(sums[0], sums[1], s.pcmBuffer + s.pcmFill);
    s.pcmFill += 128;
}

} // namespace mp3
