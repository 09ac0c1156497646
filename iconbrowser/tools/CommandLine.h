#pragma once

// What glint-extract and its image writer share: exit statuses, the usage
// text, and the checks of their arguments.

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace glintextract {

constexpr int exitUnreadable = 1;
constexpr int exitUsage = 2;

inline int usage(const char* message)
{
    std::fprintf(stderr,
        "glint-extract: %s\n"
        "usage: glint-extract FILE               print how many icons FILE holds\n"
        "       glint-extract FILE FILE...       print each file's count and name, one a line\n"
        "       glint-extract FILE INDEX OUT     write icon INDEX (from 0) to OUT, a .png or .bmp file\n",
        message);
    return exitUsage;
}

inline bool endsWith(std::string_view text, std::string_view suffix)
{
    if (text.size() < suffix.size()) return false;
    const auto tail = text.substr(text.size() - suffix.size());
    return std::equal(tail.begin(), tail.end(), suffix.begin(),
        [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

inline bool isWholeNumber(std::string_view text)
{
    const std::size_t digitsFrom = text.starts_with('-') ? 1 : 0;
    return text.size() > digitsFrom
        && std::all_of(text.begin() + digitsFrom, text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The library counts any unreadable file as holding no icons; the tool says why.
inline bool checkReadable(const char* path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
        std::fprintf(stderr, "glint-extract: %s: no such file\n", path);
        return false;
    }
    if (!std::filesystem::is_regular_file(status)) {
        std::fprintf(stderr, "glint-extract: %s: not a regular file\n", path);
        return false;
    }
    if (!std::ifstream(path, std::ios::binary)) {
        std::fprintf(stderr, "glint-extract: %s: cannot be read: %s\n", path, std::strerror(errno));
        return false;
    }
    return true;
}

} // namespace glintextract
