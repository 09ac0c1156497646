#pragma once

// The decoder's per-stream facts behind its public calls.

namespace mp3 {

// Forgets the open stream's header frame; the gapless switch stays.
void resetStreamFacts();
// Clears the hybrid overlap and the synthesis history, and the gapless
// trimming, for a stream that starts afresh.
void startStreamHistory();

} // namespace mp3
