#pragma once

namespace glint {

// When the display connection breaks, the toolkit says so and calls exit():
// static state is destroyed from then on. From watchDisplayLoss on, the
// file listings end and their workers are waited for first, so none reads
// what exit() frees. The exit status stays the toolkit's.
void watchDisplayLoss();

} // namespace glint
