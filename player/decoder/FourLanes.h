#pragma once

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define MP3_FOUR_LANES_SSE2 1
#endif

namespace mp3 {

// Four floats that go through the same arithmetic side by side. Each lane
// sees exactly the operations, in the order, that code written for one float
// does, and IEEE single precision gives the same bits either way: a transform
// written once for `float` and for FourLanes yields identical results.
struct FourLanes {
#if defined(MP3_FOUR_LANES_SSE2)
    __m128 v;

    FourLanes() = default;
    FourLanes(float f) : v(_mm_set1_ps(f)) {}
    explicit FourLanes(__m128 m) : v(m) {}

    static FourLanes load(const float* p)
    {
        return FourLanes(_mm_loadu_ps(p));
    }
    void store(float* p) const
    {
        _mm_storeu_ps(p, v);
    }
    // Lane k is p[3 - k].
    static FourLanes loadReversed(const float* p)
    {
        return FourLanes(reversed(_mm_loadu_ps(p)));
    }
    void storeReversed(float* p) const
    {
        _mm_storeu_ps(p, reversed(v));
    }

    friend FourLanes operator+(FourLanes a, FourLanes b)
    {
        return FourLanes(_mm_add_ps(a.v, b.v));
    }
    friend FourLanes operator-(FourLanes a, FourLanes b)
    {
        return FourLanes(_mm_sub_ps(a.v, b.v));
    }
    friend FourLanes operator*(FourLanes a, FourLanes b)
    {
        return FourLanes(_mm_mul_ps(a.v, b.v));
    }

private:
    static __m128 reversed(__m128 m)
    {
        return _mm_shuffle_ps(m, m, _MM_SHUFFLE(0, 1, 2, 3));
    }

public:
#else
    float v[4];

    FourLanes() = default;
    FourLanes(float f) : v{f, f, f, f} {}

    static FourLanes load(const float* p)
    {
        FourLanes r;
        for (int k = 0; k < 4; ++k) r.v[k] = p[k];
        return r;
    }
    void store(float* p) const
    {
        for (int k = 0; k < 4; ++k) p[k] = v[k];
    }
    static FourLanes loadReversed(const float* p)
    {
        FourLanes r;
        for (int k = 0; k < 4; ++k) r.v[k] = p[3 - k];
        return r;
    }
    void storeReversed(float* p) const
    {
        for (int k = 0; k < 4; ++k) p[3 - k] = v[k];
    }

    friend FourLanes operator+(FourLanes a, FourLanes b)
    {
        for (int k = 0; k < 4; ++k) a.v[k] = a.v[k] + b.v[k];
        return a;
    }
    friend FourLanes operator-(FourLanes a, FourLanes b)
    {
        for (int k = 0; k < 4; ++k) a.v[k] = a.v[k] - b.v[k];
        return a;
    }
    friend FourLanes operator*(FourLanes a, FourLanes b)
    {
        for (int k = 0; k < 4; ++k) a.v[k] = a.v[k] * b.v[k];
        return a;
    }
#endif

    FourLanes& operator+=(FourLanes b)
    {
        return *this = *this + b;
    }
};

// Lane k of rows[i] is block[stride * k + i], for i below `count`: four
// blocks of `count` values, `stride` apart, turned side by side.
inline void loadAcross(const float* block, int stride, int count, FourLanes* rows)
{
    int i = 0;
#if defined(MP3_FOUR_LANES_SSE2)
    for (; i + 4 <= count; i += 4) {
        __m128 r0 = _mm_loadu_ps(block + i);
        __m128 r1 = _mm_loadu_ps(block + stride + i);
        __m128 r2 = _mm_loadu_ps(block + 2 * stride + i);
        __m128 r3 = _mm_loadu_ps(block + 3 * stride + i);
        _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
        rows[i] = FourLanes(r0), rows[i + 1] = FourLanes(r1), rows[i + 2] = FourLanes(r2), rows[i + 3] = FourLanes(r3);
    }
#endif
    for (; i < count; ++i) {
        const float lanes[4] = {block[i], block[stride + i], block[2 * stride + i], block[3 * stride + i]};
        rows[i] = FourLanes::load(lanes);
    }
}

// The inverse of loadAcross.
inline void storeAcross(const FourLanes* rows, int count, float* block, int stride)
{
    int i = 0;
#if defined(MP3_FOUR_LANES_SSE2)
    for (; i + 4 <= count; i += 4) {
        __m128 r0 = rows[i].v, r1 = rows[i + 1].v, r2 = rows[i + 2].v, r3 = rows[i + 3].v;
        _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
        _mm_storeu_ps(block + i, r0);
        _mm_storeu_ps(block + stride + i, r1);
        _mm_storeu_ps(block + 2 * stride + i, r2);
        _mm_storeu_ps(block + 3 * stride + i, r3);
    }
#endif
    for (; i < count; ++i) {
        float lanes[4];
        rows[i].store(lanes);
        for (int k = 0; k < 4; ++k) block[k * stride + i] = lanes[k];
    }
}

} // namespace mp3
