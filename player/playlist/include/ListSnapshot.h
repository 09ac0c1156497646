#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The playlist as one moment saw it, for those who show it: its entries'
// paths in list order, the heard entry's index (-1 when none is heard or it
// left the list), and a version that changes with every change of the list.
struct ListSnapshot {
    std::vector<std::string> paths;
    int heardIndex = -1;
    std::uint64_t version = 0;
};
