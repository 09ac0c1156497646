#include "Settings.h"

#include <limits>

std::optional<std::int32_t> readDecimal(std::string_view text, std::size_t& at)
{
    auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; };
    std::size_t next = at;
    while (next < text.size() && isSpace(text[next])) ++next;
    bool negative = false;
    if (next < text.size() && (text[next] == '+' || text[next] == '-')) negative = text[next++] == '-';
    if (next >= text.size() || text[next] < '0' || text[next] > '9') return std::nullopt;
    constexpr std::int64_t limit = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
    std::int64_t value = 0;
    while (next < text.size() && text[next] >= '0' && text[next] <= '9') {
        value = value * 10 + (text[next++] - '0');
        if (value > limit) value = limit;
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<std::int32_t>::max()) value = std::numeric_limits<std::int32_t>::max();
    at = next;
    return std::int32_t(value);
}
