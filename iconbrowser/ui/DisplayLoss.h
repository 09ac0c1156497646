#pragma once

namespace glint {

// Before the toolkit connects to the display: false, with one line on
// standard error, when the platform needs a display server and none is
// named. From then until displayConnected, the toolkit's fatal end for a
// display it cannot reach becomes that one line and exit status 1, not its
// plugin text and an abort.
bool checkDisplay(const char* programName);
void displayConnected();

// When the display connection breaks, the toolkit says so and calls exit():
// static state is destroyed from then on. From watchDisplayLoss on, the
// file listings end and their workers are waited for first, so none reads
// what exit() frees. The exit status stays the toolkit's.
void watchDisplayLoss();

} // namespace glint
