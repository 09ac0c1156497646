// Feeds arbitrary bytes to the icon reader as an icon file, PE or NE
// executable: counting, choosing, decoding and scaling every icon.
#include "Icons.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const icons::MemorySource source({data, size});
    const int count = icons::countIcons(source);
    // A few icons per input keep runs fast; the first index and the one past the end matter most.
    for (int index = 0; index < std::min(count, 8); ++index) icons::extractIcon(source, index);
    icons::extractIcon(source, count);
    return 0;
}
