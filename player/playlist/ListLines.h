#pragma once

#include <cstddef>
#include <string>
#include <vector>

class ListFile;

// Splits a list file into lines, reading it in pieces of a fixed size. A line
// longer than any real path is passed over without being kept, so no line,
// however long, grows the memory used.
class ListLines {
public:
    // Above the longest path the platforms open (4096 bytes with Linux's
    // PATH_MAX, 260 or 32767 characters on Windows).
    static constexpr std::size_t maxLineLength = 4096;

    enum class Next { line, tooLong, end, outOfBytes };

    // bytesLeft is what the whole load may still read: every list of one
    // load draws on it, and reading ends when it is spent.
    ListLines(ListFile& file, std::size_t& bytesLeft);

    // The next line without its line feed (a last line needs none). A line
    // longer than maxLineLength comes back as tooLong with line empty.
    Next next(std::string& line);

private:
    bool fill();

    ListFile& file_;
    std::size_t& bytesLeft_;
    std::vector<char> piece_;
    std::size_t at_ = 0;
    std::size_t end_ = 0;
    bool outOfBytes_ = false;
};
