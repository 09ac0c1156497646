// Reads arbitrary bytes as a skin bitmap's headers: the check ends, reads
// nothing outside the bytes, and never accepts fewer bytes than a file that
// passes it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "SkinFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    // Each byte past the headers only adds room, so a file that fits keeps
    // fitting when longer; the check must not pass a file it refused longer.
    if (size > 0 && bitmapPixelsFit(file.substr(0, size - 1)) && !bitmapPixelsFit(file)) std::abort();
    return 0;
}
