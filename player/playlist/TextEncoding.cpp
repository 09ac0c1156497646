#include "TextEncoding.h"

#include <cstdint>

namespace textencoding {

namespace {

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xc0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3f));
    } else {
        out += static_cast<char>(0xe0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3f));
        out += static_cast<char>(0x80 | (c & 0x3f));
    }
}

// The code points of Windows-1252's bytes 0x80 to 0x9F.
constexpr char16_t windows1252High[32] = {0x20ac, 0x0081, 0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021,
                                          0x02c6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008d, 0x017d, 0x008f,
                                          0x0090, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022, 0x2013, 0x2014,
                                          0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0x009d, 0x017e, 0x0178};

// The length of the well-formed UTF-8 sequence at text[at], with its code
// point; 0 when there is none.
std::size_t sequenceAt(std::string_view text, std::size_t at, char32_t& c)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char first = byte(0);
    std::size_t length = 0;
    char32_t lowest = 0;
    if (first < 0x80) {
        c = first;
        return 1;
    }
    if (first >= 0xc2 && first <= 0xdf) {
        length = 2;
        c = first & 0x1f;
        lowest = 0x80;
    } else if (first >= 0xe0 && first <= 0xef) {
        length = 3;
        c = first & 0x0f;
        lowest = 0x800;
    } else if (first >= 0xf0 && first <= 0xf4) {
        length = 4;
        c = first & 0x07;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - at < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xc0) != 0x80) return 0;
        c = c << 6 | (byte(i) & 0x3f);
    }
    if (c < lowest || c > 0x10ffff || (c >= 0xd800 && c <= 0xdfff)) return 0;
    return length;
}

char32_t lowerCase(char32_t c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 0xc0 && c <= 0xde && c != 0xd7)) return c + 0x20;
    switch (c) {
    case 0x0152: // OE ligature
    case 0x0160: // S with caron
    case 0x017d: // Z with caron
        return c + 1;
    case 0x0178: // Y with diaeresis
        return 0xff;
    default:
        return c;
    }
}

} // namespace

bool isUtf8(std::string_view text)
{
    char32_t c = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = sequenceAt(text, at, c);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

std::string windows1252ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char byte : text) {
        const auto value = static_cast<unsigned char>(byte);
        appendUtf8(out, value >= 0x80 && value < 0xa0 ? windows1252High[value - 0x80] : value);
    }
    return out;
}

std::string foldCase(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    char32_t c = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = sequenceAt(text, at, c);
        if (length == 0) {
            out += text[at++];
            continue;
        }
        const char32_t lower = lowerCase(c);
        if (lower == c)
            out.append(text.substr(at, length));
        else
            appendUtf8(out, lower);
        at += length;
    }
    return out;
}

} // namespace textencoding
