#pragma once

#include <cstdint>
#include <span>
#include <string>

// The text encodings tags use, each turned into valid UTF-8 of at most
// maxTextBytes, ending at the first terminating zero.
namespace songtags {

std::string fromLatin1(std::span<const std::uint8_t> bytes);
std::string fromWindows1252(std::span<const std::uint8_t> bytes);
// UTF-16: with a byte order mark it decides the order; without one the
// order is bigEndianWithoutMark's. Unpaired surrogates become U+FFFD.
std::string fromUtf16(std::span<const std::uint8_t> bytes, bool bigEndianWithoutMark);
// Invalid sequences become U+FFFD.
std::string fromUtf8(std::span<const std::uint8_t> bytes);

} // namespace songtags
