// Feeds arbitrary bytes to the icon reader as an icon file, PE or NE
// executable: counting, choosing, decoding and scaling every icon.
#include "Icons.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const icons::IconReader reader({data, size});
    const int count = reader.count();
    // A page of icons per input keeps runs fast; the index past the end matters too.
    for (int index = 0; index < std::min(count, 8); ++index) reader.icon(index);
    reader.icon(count);
    return 0;
}
