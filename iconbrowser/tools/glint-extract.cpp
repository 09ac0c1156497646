// glint-extract: counts the icons of an executable, library or icon file, or
// writes one of them out as the icon browser would draw it.
//
//   glint-extract FILE               prints the number of icons
//   glint-extract FILE INDEX OUT     writes icon INDEX to OUT (.png keeps the
//                                    alpha; .bmp is drawn on the window colour)

#include "Icons.h"

#include <QColor>
#include <QImage>
#include <QPainter>

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

// The library counts any unreadable file as holding no icons; the tool says why.
bool checkReadable(const char* path)
{
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        std::fprintf(stderr, "glint-extract: %s: no such file\n", path);
        return false;
    }
    if (!std::filesystem::is_regular_file(path, error)) {
        std::fprintf(stderr, "glint-extract: %s: not a regular file\n", path);
        return false;
    }
    if (!std::ifstream(path, std::ios::binary)) {
        std::fprintf(stderr, "glint-extract: %s: cannot be read: %s\n", path, std::strerror(errno));
        return false;
    }
    return true;
}

QImage toQImage(const icons::Icon& icon)
{
    if (const auto* png = std::get_if<icons::PngImage>(&icon)) {
        QImage decoded = QImage::fromData(png->bytes.data(), static_cast<int>(png->bytes.size()), "PNG");
        if (decoded.isNull()) return {};
        decoded = decoded.convertToFormat(QImage::Format_ARGB32);
        icons::Image image{decoded.width(), decoded.height(), {}};
        image.pixels.reserve(static_cast<std::size_t>(image.width) * image.height);
        for (int y = 0; y < image.height; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(decoded.constScanLine(y));
            image.pixels.insert(image.pixels.end(), row, row + image.width);
        }
        return toQImage(icons::fitToStandardSize(std::move(image)));
    }
    const auto& image = std::get<icons::Image>(icon);
    QImage result(image.width, image.height, QImage::Format_ARGB32);
    for (int y = 0; y < image.height; ++y)
        std::memcpy(result.scanLine(y), image.pixels.data() + static_cast<std::size_t>(y) * image.width,
            static_cast<std::size_t>(image.width) * sizeof(std::uint32_t));
    return result;
}

QImage onBackground(const QImage& icon)
{
    QImage canvas(icon.size(), QImage::Format_RGB32);
    canvas.fill(windowBackground);
    QPainter painter(&canvas);
    painter.drawImage(0, 0, icon);
    return canvas;
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
    QImage image = toQImage(*icon);
    if (image.isNull()) {
        std::fprintf(stderr, "glint-extract: %s: icon %d holds a damaged PNG image\n", path, index);
        return exitUnreadable;
    }
    if (!png) image = onBackground(image);
    if (!image.save(QString::fromLocal8Bit(out), png ? "PNG" : "BMP")) {
        std::fprintf(stderr, "glint-extract: %s: cannot be written\n", out);
        return exitUnreadable;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2) {
        if (!checkReadable(argv[1])) return exitUnreadable;
        std::printf("%d\n", icons::countIcons(std::filesystem::path(argv[1])));
        return 0;
    }
    if (argc == 4) return extract(argv[1], argv[2], argv[3]);
    return usage(argc < 2 ? "no FILE given" : "wrong number of arguments");
}
