#include "NaturalOrder.h"

#include <cstddef>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

char folded(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The digit run starting at `at`, without its leading zeros; `at` moves past
// the whole run.
std::string_view digitRun(std::string_view text, std::size_t& at)
{
    while (at < text.size() && text[at] == '0' && at + 1 < text.size() && isDigit(text[at + 1])) ++at;
    const std::size_t start = at;
    while (at < text.size() && isDigit(text[at])) ++at;
    return text.substr(start, at - start);
}

// Negative, zero or positive as a sorts before, with or after b.
int compareNatural(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const std::string_view x = digitRun(a, i);
            const std::string_view y = digitRun(b, j);
            // Without leading zeros the longer run is the larger number, and
            // runs of one length compare digit by digit: no run overflows.
            if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
            if (const int c = x.compare(y); c != 0) return c;
            continue;
        }
        const unsigned char x = static_cast<unsigned char>(folded(a[i]));
        const unsigned char y = static_cast<unsigned char>(folded(b[j]));
        if (x != y) return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

} // namespace

bool naturalLess(std::string_view a, std::string_view b)
{
    if (const int c = compareNatural(a, b); c != 0) return c < 0;
    return a < b;
}
