// glint-extract-image: the picture forms of glint-extract, which runs it:
//
//   glint-extract-image [--size N|max] FILE INDEX OUT
//       writes icon INDEX to OUT (.png keeps the alpha; .bmp is drawn on the
//       window colour): at 32 x 32, or the image nearest N or the largest at
//       its own size
//
// It lives apart so that counting never loads the image libraries, whose
// loading takes longer than counting a folder of files.

#include "CommandLine.h"
#include "IconImage.h"
#include "Icons.h"

#include <QColor>
#include <QImage>

#include <string_view>

namespace {

using namespace glintextract;

// The classic window background behind icons (the toolkit's default window colour).
const QColor windowBackground(0xF0, 0xF0, 0xF0);

// The largest side anyone may ask for; no icon image is larger than 256.
constexpr int largestSize = 65536;

QImage pictureOf(const icons::IconReader& reader, int index, std::optional<icons::ImageChoice> choice)
{
    if (!choice) return icons::iconImage(reader, index);
    const auto image = reader.image(index, *choice, icons::decodePng);
    return image ? icons::toQImage(std::get<icons::Image>(*image)) : QImage();
}

int extract(const char* path, std::string_view indexText, const char* out, std::optional<icons::ImageChoice> choice)
{
    const auto parsedIndex = iconIndex(indexText);
    if (!parsedIndex) return usage("INDEX must be a whole number from 0");
    const int index = *parsedIndex;
    const bool png = endsWith(out, ".png");
    if (!png && !endsWith(out, ".bmp")) return usage("OUT must end in .png, .bmp or .ico");
    if (!checkReadable(path)) return exitUnreadable;

    const icons::IconReader reader{std::filesystem::path(path)};
    const int count = reader.count();
    QImage image = index < count ? pictureOf(reader, index, choice) : QImage();
    if (image.isNull()) {
        if (index >= count)
            std::fprintf(stderr, "glint-extract: %s holds %d icon%s; there is no icon %d\n", path, count,
                         count == 1 ? "" : "s", index);
        else
            std::fprintf(stderr, "glint-extract: %s: icon %d has no readable image\n", path, index);
        return exitUnreadable;
    }
    if (!png) image = icons::drawnOn(image, windowBackground, image.size());
    if (!image.save(QString::fromLocal8Bit(out), png ? "PNG" : "BMP")) {
        std::fprintf(stderr, "glint-extract: %s: cannot be written\n", out);
        return exitUnreadable;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::optional<icons::ImageChoice> choice;
    if (argc == 6 && std::string_view(argv[1]) == "--size") {
        if (std::string_view(argv[2]) == "max") {
            choice = icons::ImageChoice{icons::ImageChoice::Rule::Largest, 0};
        } else {
            const auto size = positiveNumber(argv[2], largestSize);
            if (!size) return usage("--size takes a whole number from 1 or max");
            choice = icons::ImageChoice{icons::ImageChoice::Rule::Nearest, *size};
        }
        argv += 2;
        argc -= 2;
    }
    if (argc != 4) return usage("wrong number of arguments");
    return extract(argv[1], argv[2], argv[3], choice);
}
