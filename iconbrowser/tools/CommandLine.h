#pragma once

// What glint-extract and its image writer share: exit statuses, the usage
// text, and the checks of their arguments.

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

namespace glintextract {

constexpr int exitUnreadable = 1;
constexpr int exitUsage = 2;

inline constexpr const char* usageText =
    "usage: glint-extract [--help | --version]\n"
    "       glint-extract FILE...             print how many icons each FILE holds (one FILE: the count\n"
    "                                         alone; several: the count and the name, one a line)\n"
    "       glint-extract [--size N|max] FILE INDEX OUT\n"
    "                                         write icon INDEX (from 0) to OUT: a .png with its alpha or a\n"
    "                                         .bmp on the window colour, at 32 x 32, or with --size the\n"
    "                                         image nearest N or the largest at its own size; an .ico\n"
    "                                         holds the whole icon, every image as stored\n"
    "       glint-extract --thumbnail SIZE INPUT OUTPUT.png\n"
    "                                         draw the icon INPUT shows in a file manager, to fit SIZE\n"
    "       glint-extract --all [--png] FOLDER FILE\n"
    "                                         write every icon of FILE into FOLDER, named FILE-NUMBER\n"
    "                                         (from 1): an .ico each, the whole icon, or with --png its\n"
    "                                         largest image as a .png with its alpha\n";

inline int usage(const char* message)
{
    std::fprintf(stderr, "glint-extract: %s\n%s", message, usageText);
    return exitUsage;
}

// An icon index: a whole number from 0, or nothing.
inline std::optional<int> iconIndex(std::string_view text)
{
    int value = -1;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    if (parsed.ec != std::errc{} || parsed.ptr != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

// A whole number from 1 to `largest`, or nothing.
inline std::optional<int> positiveNumber(std::string_view text, int largest)
{
    int value = 0;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    if (parsed.ec != std::errc{} || parsed.ptr != text.data() + text.size() || value < 1 || value > largest)
        return std::nullopt;
    return value;
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
    return text.size() > digitsFrom &&
           std::all_of(text.begin() + digitsFrom, text.end(), [](char c) { return c >= '0' && c <= '9'; });
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

// Writes `bytes` to `path`; a file that cannot be written whole is removed
// and said so.
inline bool writeWholeFile(const char* path, const std::vector<std::uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path, "wb");
    if (!file) {
        std::fprintf(stderr, "glint-extract: %s: cannot be written: %s\n", path, std::strerror(errno));
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) == 0 && written) return true;
    std::fprintf(stderr, "glint-extract: %s: cannot be written whole\n", path);
    std::remove(path);
    return false;
}

} // namespace glintextract
