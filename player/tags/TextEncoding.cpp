#include "TextEncoding.h"

#include <array>

#include "SongTags.h"

namespace songtags {

namespace {

constexpr char32_t replacement = 0xFFFD;

// Appends code points as UTF-8 until maxTextBytes would be passed.
class Utf8Text {
public:
    // False once the text is full.
    bool append(char32_t c)
    {
        char bytes[4];
        std::size_t n;
        if (c < 0x80) {
            bytes[0] = static_cast<char>(c);
            n = 1;
        } else if (c < 0x800) {
            bytes[0] = static_cast<char>(0xC0 | c >> 6);
            bytes[1] = static_cast<char>(0x80 | (c & 0x3F));
            n = 2;
        } else if (c < 0x10000) {
            bytes[0] = static_cast<char>(0xE0 | c >> 12);
            bytes[1] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
            bytes[2] = static_cast<char>(0x80 | (c & 0x3F));
            n = 3;
        } else {
            bytes[0] = static_cast<char>(0xF0 | c >> 18);
            bytes[1] = static_cast<char>(0x80 | (c >> 12 & 0x3F));
            bytes[2] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
            bytes[3] = static_cast<char>(0x80 | (c & 0x3F));
            n = 4;
        }
        if (text_.size() + n > maxTextBytes) return false;
        text_.append(bytes, n);
        return true;
    }
    std::string take() { return std::move(text_); }

private:
    std::string text_;
};

// The code points 0x80 to 0x9F of Windows-1252; 0 where it assigns none.
constexpr std::array<char16_t, 32> windows1252High = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

template <typename Map>
std::string fromSingleBytes(std::span<const std::uint8_t> bytes, Map map)
{
    Utf8Text text;
    for (std::uint8_t b : bytes)
        if (b == 0 || !text.append(map(b))) break;
    return text.take();
}

// Length of a UTF-8 sequence from its first byte; 0 for a byte that cannot
// start one.
int sequenceLength(std::uint8_t b)
{
    if (b < 0x80) return 1;
    if (b >= 0xC2 && b <= 0xDF) return 2;
    if (b >= 0xE0 && b <= 0xEF) return 3;
    if (b >= 0xF0 && b <= 0xF4) return 4;
    return 0;
}

} // namespace

std::string fromLatin1(std::span<const std::uint8_t> bytes)
{
    return fromSingleBytes(bytes, [](std::uint8_t b) { return char32_t(b); });
}

std::string fromWindows1252(std::span<const std::uint8_t> bytes)
{
    return fromSingleBytes(bytes, [](std::uint8_t b) {
        if (b < 0x80 || b > 0x9F) return char32_t(b);
        const char16_t mapped = windows1252High[b - 0x80];
        return mapped != 0 ? char32_t(mapped) : replacement;
    });
}

std::string fromUtf16(std::span<const std::uint8_t> bytes, bool bigEndianWithoutMark)
{
    bool bigEndian = bigEndianWithoutMark;
    std::size_t at = 0;
    if (bytes.size() >= 2 && ((bytes[0] == 0xFE && bytes[1] == 0xFF) || (bytes[0] == 0xFF && bytes[1] == 0xFE))) {
        bigEndian = bytes[0] == 0xFE;
        at = 2;
    }
    auto unitAt = [&](std::size_t i) -> char32_t {
        return bigEndian ? char32_t(bytes[i] << 8 | bytes[i + 1]) : char32_t(bytes[i + 1] << 8 | bytes[i]);
    };
    Utf8Text text;
    while (at + 2 <= bytes.size()) {
        char32_t unit = unitAt(at);
        at += 2;
        if (unit == 0) break;
        char32_t c = unit;
        if (unit >= 0xD800 && unit <= 0xDBFF && at + 2 <= bytes.size() && unitAt(at) >= 0xDC00 &&
            unitAt(at) <= 0xDFFF) {
            c = 0x10000 + ((unit - 0xD800) << 10) + (unitAt(at) - 0xDC00);
            at += 2;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            c = replacement;
        }
        if (!text.append(c)) break;
    }
    return text.take();
}

std::string fromUtf8(std::span<const std::uint8_t> bytes)
{
    Utf8Text text;
    std::size_t at = 0;
    while (at < bytes.size() && bytes[at] != 0) {
        const int length = sequenceLength(bytes[at]);
        char32_t c = length == 1 ? bytes[at] : bytes[at] & (0x7F >> length);
        bool valid = length > 0 && at + static_cast<std::size_t>(length) <= bytes.size();
        for (int i = 1; valid && i < length; ++i) {
            valid = (bytes[at + i] & 0xC0) == 0x80;
            c = c << 6 | (bytes[at + i] & 0x3F);
        }
        // Overlong three- and four-byte forms, surrogates and values past
        // U+10FFFF are not UTF-8 (RFC 3629).
        if (valid && ((length == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) ||
                      (length == 4 && (c < 0x10000 || c > 0x10FFFF))))
            valid = false;
        if (!text.append(valid ? c : replacement)) break;
        at += valid ? static_cast<std::size_t>(length) : 1;
    }
    return text.take();
}

} // namespace songtags
