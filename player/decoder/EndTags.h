#pragma once

#include <cstdint>

#include "InputStream.h"

namespace mp3 {

// Where the tags at the end of a stream begin: ID3v1, APEv1/APEv2 (with or
// without a header) and Lyrics3 v1/v2, in any stacking, found from the end
// back to `audioStart`. The stream's size when it ends with none of them.
// Moves the stream's position.
std::uint64_t findEndTagsStart(InputStream& stream, std::uint64_t audioStart);

} // namespace mp3
