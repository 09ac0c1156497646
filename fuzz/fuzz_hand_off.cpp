// Reads arbitrary bytes as what a second start sent: a complete message is
// exactly what encoding its path gives, and nothing is read past the bytes.
// The same bytes as a path too long to take: the line telling so stays short.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "HandOff.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view received(reinterpret_cast<const char*>(data), size);
    std::string path;
    std::size_t used = 0;
    if (handoff::decode(received, path, used) == handoff::Reading::complete) {
        if (used > size || handoff::encode(path) != received.substr(0, used)) std::abort();
    }
    if (handoff::tooLongText(received).size() > 160) std::abort();
    return 0;
}
