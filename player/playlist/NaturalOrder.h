#pragma once

#include <string_view>

// The order people expect of names that hold numbers: runs of digits compare
// by their value ("2 x" before "10 x", "track 007" beside "track 7") and
// letters without regard to case. Names equal by that rule fall back to
// their bytes, so the order is total and the same on every run.
bool naturalLess(std::string_view a, std::string_view b);
