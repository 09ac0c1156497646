// glint-extract-image: the extraction form of glint-extract, which runs it:
//
//   glint-extract-image FILE INDEX OUT   writes icon INDEX to OUT (.png keeps
//                                        the alpha; .bmp is drawn on the window colour)
//
// It lives apart so that counting never loads the image libraries, whose
// loading takes longer than counting a folder of files.

#include "CommandLine.h"
#include "IconImage.h"
#include "Icons.h"

#include <QColor>
#include <QImage>

#include <charconv>
#include <string_view>

namespace {

using namespace glintextract;

// The classic window background behind icons (the toolkit's default window colour).
const QColor windowBackground(0xF0, 0xF0, 0xF0);

int extract(const char* path, std::string_view indexText, const char* out)
{
    int index = -1;
    const auto parsed = std::from_chars(indexText.data(), indexText.data() + indexText.size(), index);
    if (parsed.ec != std::errc{} || parsed.ptr != indexText.data() + indexText.size() || index < 0)
        return usage("INDEX must be a whole number from 0");
    const bool png = endsWith(out, ".png");
    if (!png && !endsWith(out, ".bmp")) return usage("OUT must end in .png or .bmp");
    if (!checkReadable(path)) return exitUnreadable;

    const icons::IconReader reader{std::filesystem::path(path)};
    const int count = reader.count();
    QImage image = index < count ? icons::iconImage(reader, index) : QImage();
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
    if (argc != 4) return usage("wrong number of arguments");
    return extract(argv[1], argv[2], argv[3]);
}
