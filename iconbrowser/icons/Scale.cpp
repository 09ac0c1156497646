#include "Scale.h"

#include <algorithm>
#include <array>

namespace icons {

namespace {

struct Tap {
    int index;
    float weight;
};

using Channels = std::array<float, 4>; // premultiplied red, green, blue and alpha

// For every target position, the source positions it draws on and their weights (summing to 1).
std::vector<std::vector<Tap>> resampleTaps(int sourceLength, int targetLength)
{
    std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(targetLength));
    const double ratio = static_cast<double>(sourceLength) / targetLength;
    for (int i = 0; i < targetLength; ++i) {
        auto& list = taps[static_cast<std::size_t>(i)];
        if (sourceLength >= targetLength) {
            const double begin = i * ratio;
            const double end = (i + 1) * ratio;
            for (int s = static_cast<int>(begin); s < sourceLength && s < end; ++s) {
                const double covered = std::min<double>(s + 1, end) - std::max<double>(s, begin);
                if (covered > 0) list.push_back({s, static_cast<float>(covered / ratio)});
            }
        } else {
            const double centre = std::clamp((i + 0.5) * ratio - 0.5, 0.0, sourceLength - 1.0);
            const int left = static_cast<int>(centre);
            const float fraction = static_cast<float>(centre - left);
            list.push_back({left, 1.0f - fraction});
            if (fraction > 0) list.push_back({left + 1, fraction});
        }
    }
    return taps;
}

Channels premultiplied(std::uint32_t argb)
{
    const float alpha = static_cast<float>(argb >> 24) / 255.0f;
    return {static_cast<float>(argb >> 16 & 0xFF) * alpha, static_cast<float>(argb >> 8 & 0xFF) * alpha,
            static_cast<float>(argb & 0xFF) * alpha, alpha * 255.0f};
}

// Rounds to nearest a value already clamped to 0..255 (no library call: this
// runs four times a pixel).
std::uint32_t rounded(float value)
{
    return static_cast<std::uint32_t>(value + 0.5f);
}

std::uint32_t straight(const Channels& c)
{
    const float alpha = std::clamp(c[3], 0.0f, 255.0f);
    if (alpha < 0.5f) return 0;
    const auto channel = [alpha](float value) { return rounded(std::clamp(value * 255.0f / alpha, 0.0f, 255.0f)); };
    return rounded(alpha) << 24 | channel(c[0]) << 16 | channel(c[1]) << 8 | channel(c[2]);
}

// Shrinking by whole factors (256 to 128, 64 to 32), the common case: each
// target pixel averages one block of source pixels, the same area average in
// integers, without the two float passes.
Image shrinkByBlocks(const Image& source, int width, int height)
{
    const int blockWidth = source.width / width;
    const int blockHeight = source.height / height;
    const std::uint64_t count = static_cast<std::uint64_t>(blockWidth) * blockHeight;
    Image target{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
    // The sums of one row of blocks, colours premultiplied by alpha, gathered
    // a source row at a time. Red and blue share one sum, red in the upper
    // half: a block's sum of either stays under 2^32 (65536 pixels of 255 x 255).
    struct Sums {
        std::uint64_t alpha, redBlue, green;
    };
    std::vector<Sums> blocks(static_cast<std::size_t>(width));
    for (int ty = 0; ty < height; ++ty) {
        std::fill(blocks.begin(), blocks.end(), Sums{});
        for (int y = ty * blockHeight; y < (ty + 1) * blockHeight; ++y) {
            // One pass along the row, moving to the next block every blockWidth
            // pixels: no inner loop to set up for blocks only a few pixels wide.
            const std::uint32_t* row = &source.pixels[static_cast<std::size_t>(y) * source.width];
            Sums* sums = blocks.data();
            int leftInBlock = blockWidth;
            for (int x = 0; x < width * blockWidth; ++x) {
                const std::uint32_t argb = row[x];
                const std::uint64_t a = argb >> 24;
                sums->alpha += a;
                sums->redBlue += (static_cast<std::uint64_t>(argb & 0xFF0000u) << 16 | (argb & 0xFFu)) * a;
                sums->green += (argb >> 8 & 0xFFu) * a;
                if (--leftInBlock == 0) {
                    ++sums;
                    leftInBlock = blockWidth;
                }
            }
        }
        std::uint32_t* out = &target.pixels[static_cast<std::size_t>(ty) * width];
        for (const Sums& sums : blocks) {
            const std::uint64_t alpha = sums.alpha;
            // An average alpha under one half is fully transparent, as in straight() below.
            if (2 * alpha < count) {
                ++out;
                continue;
            }
            // Each value rounded to nearest, halves up: the whole part of (2 sum + n) / 2n.
            // In doubles, which divide far faster than 64-bit integers and here
            // exactly: both terms are whole numbers under 2^53, and a quotient that
            // is not whole lies at least 1 / 2n from the next whole number, far
            // beyond the rounding of a quotient under 256.
            // (Signed: converting those to double takes one instruction.)
            const auto rounded = [](std::uint64_t sum, std::uint64_t n) {
                return static_cast<std::uint32_t>(static_cast<double>(static_cast<std::int64_t>(2 * sum + n)) /
                                                  static_cast<double>(static_cast<std::int64_t>(2 * n)));
            };
            const auto channel = [&](std::uint64_t sum) { return rounded(sum, alpha); };
            const auto mean = rounded(alpha, count);
            *out++ = mean << 24 | channel(sums.redBlue >> 32) << 16 | channel(sums.green) << 8 |
                     channel(sums.redBlue & 0xFFFFFFFFu);
        }
    }
    return target;
}

} // namespace

Image scaleSmooth(const Image& source, int width, int height)
{
    Image target{width, height, {}};
    if (width <= 0 || height <= 0 || source.width <= 0 || source.height <= 0) return target;
    if (width <= source.width && height <= source.height && source.width % width == 0 && source.height % height == 0)
        return shrinkByBlocks(source, width, height);
    const auto columns = resampleTaps(source.width, width);
    const auto rows = resampleTaps(source.height, height);

    // Horizontal pass into premultiplied floats, then the vertical pass.
    std::vector<Channels> across(static_cast<std::size_t>(width) * source.height);
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < width; ++x) {
            Channels sum{};
            for (const Tap& tap : columns[static_cast<std::size_t>(x)]) {
                const Channels c = premultiplied(source.pixel(tap.index, y));
                for (int k = 0; k < 4; ++k) sum[k] += c[k] * tap.weight;
            }
            across[static_cast<std::size_t>(y) * width + x] = sum;
        }
    }
    target.pixels.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Channels sum{};
            for (const Tap& tap : rows[static_cast<std::size_t>(y)]) {
                const Channels& c = across[static_cast<std::size_t>(tap.index) * width + x];
                for (int k = 0; k < 4; ++k) sum[k] += c[k] * tap.weight;
            }
            target.pixels[static_cast<std::size_t>(y) * width + x] = straight(sum);
        }
    }
    return target;
}

} // namespace icons
