// glint-extract: counts the icons of executables, libraries or icon files, or
// writes one of them out as the icon browser would draw it.
//
//   glint-extract FILE               prints the number of icons
//   glint-extract FILE FILE...       prints one line per file: its count, its name
//   glint-extract FILE INDEX OUT     writes icon INDEX to OUT (.png keeps the
//                                    alpha; .bmp is drawn on the window colour)
//
// Three arguments are the extraction form when the second is a whole number
// or the third names a .png or .bmp file; otherwise they are three files.

#include "IconImage.h"
#include "Icons.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace {

constexpr int exitUnreadable = 1;
constexpr int exitUsage = 2;
// The classic window background behind icons (the toolkit's default window colour).
const QColor windowBackground(0xF0, 0xF0, 0xF0);

int usage(const char* message)
{
    std::fprintf(stderr,
        "glint-extract: %s\n"
        "usage: glint-extract FILE               print how many icons FILE holds\n"
        "       glint-extract FILE FILE...       print each file's count and name, one a line\n"
        "       glint-extract FILE INDEX OUT     write icon INDEX (from 0) to OUT, a .png or .bmp file\n",
        message);
    return exitUsage;
}

bool endsWith(std::string_view text, std::string_view suffix)
{
    if (text.size() < suffix.size()) return false;
    const auto tail = text.substr(text.size() - suffix.size());
    return std::equal(tail.begin(), tail.end(), suffix.begin(),
        [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

bool isWholeNumber(std::string_view text)
{
    const std::size_t digitsFrom = text.starts_with('-') ? 1 : 0;
    return text.size() > digitsFrom
        && std::all_of(text.begin() + digitsFrom, text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The library counts any unreadable file as holding no icons; the tool says why.
bool checkReadable(const char* path)
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

int extract(const char* path, std::string_view indexText, const char* out)
{
    int index = -1;
    const auto parsed = std::from_chars(indexText.data(), indexText.data() + indexText.size(), index);
    if (parsed.ec != std::errc{} || parsed.ptr != indexText.data() + indexText.size() || index < 0)
        return usage("INDEX must be a whole number from 0");
    const bool png = endsWith(out, ".png");
    if (!png && !endsWith(out, ".bmp")) return usage("OUT must end in .png or .bmp");
    if (!checkReadable(path)) return exitUnreadable;

    const int count = icons::countIcons(std::filesystem::path(path));
    const auto icon = index < count ? icons::extractIcon(std::filesystem::path(path), index) : std::nullopt;
    if (!icon) {
        if (index >= count)
            std::fprintf(stderr, "glint-extract: %s holds %d icon%s; there is no icon %d\n", path, count,
                count == 1 ? "" : "s", index);
        else
            std::fprintf(stderr, "glint-extract: %s: icon %d has no readable image\n", path, index);
        return exitUnreadable;
    }
    QImage image = icons::toQImage(*icon);
    if (image.isNull()) {
        std::fprintf(stderr, "glint-extract: %s: icon %d holds a damaged PNG image\n", path, index);
        return exitUnreadable;
    }
    if (!png) image = icons::drawnOn(image, windowBackground, image.size());
    if (!image.save(QString::fromLocal8Bit(out), png ? "PNG" : "BMP")) {
        std::fprintf(stderr, "glint-extract: %s: cannot be written\n", out);
        return exitUnreadable;
    }
    return 0;
}

// Counts every file, one line each; a file that cannot be read is reported
// and the rest are still counted.
int countEach(char** paths, int pathCount)
{
    int status = 0;
    for (int i = 0; i < pathCount; ++i) {
        if (!checkReadable(paths[i])) {
            status = exitUnreadable;
            continue;
        }
        std::printf("%d %s\n", icons::countIcons(std::filesystem::path(paths[i])), paths[i]);
    }
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return usage("no FILE given");
    if (argc == 2) {
        if (!checkReadable(argv[1])) return exitUnreadable;
        std::printf("%d\n", icons::countIcons(std::filesystem::path(argv[1])));
        return 0;
    }
    // FILE INDEX without OUT is a mistake far likelier than a file named by a number.
    if (argc == 3 && isWholeNumber(argv[2])) return usage("wrong number of arguments");
    if (argc == 4 && (isWholeNumber(argv[2]) || endsWith(argv[3], ".png") || endsWith(argv[3], ".bmp")))
        return extract(argv[1], argv[2], argv[3]);
    return countEach(argv + 1, argc - 1);
}
