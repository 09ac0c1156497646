#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// Reads a decimal integer at text[at] as the C library's number reading does:
// white space first, then an optional sign, then numerals up to the first
// character that is not one. Advances at past what it read. No numerals: no
// value, and at is left where it was. Values beyond the 32-bit range give its
// nearest end.
std::optional<std::int32_t> readDecimal(std::string_view text, std::size_t& at);
