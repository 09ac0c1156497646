// PNG images decoded on zlib alone, as the thumbnailer decodes them: the
// pixels the toolkit's decoder gives for every kind of image the standard
// defines, the image data inflated only as far as its rows, and damage refused;
// and icons written out without a toolkit.
#include "DeflatedRows.h"
#include "PngCodec.h"
#include "PngStream.h"

#include <QImage>

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <random>
#include <unistd.h>

using namespace iconbytes;

namespace {

struct Kind {
    std::uint8_t colourType;
    std::uint8_t depth;
};

int channels(std::uint8_t colourType)
{
    switch (colourType) {
    case 2:
        return 3;
    case 4:
        return 2;
    case 6:
        return 4;
    default:
        return 1;
    }
}

// Packs samples at `depth` bits, most significant first, big-endian at 16.
Bytes packed(const std::vector<std::uint32_t>& samples, int depth)
{
    Bytes out;
    unsigned bits = 0, used = 0;
    for (std::uint32_t s : samples) {
        if (depth == 16) {
            out.insert(out.end(), {static_cast<std::uint8_t>(s >> 8), static_cast<std::uint8_t>(s)});
            continue;
        }
        bits = bits << depth | s;
        used += static_cast<unsigned>(depth);
        if (used == 8) {
            out.push_back(static_cast<std::uint8_t>(bits));
            bits = used = 0;
        }
    }
    if (used > 0) out.push_back(static_cast<std::uint8_t>(bits << (8 - used)));
    return out;
}

std::uint8_t paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return static_cast<std::uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// The rows filtered with each of the five filter types in turn (ISO/IEC 15948, 9).
Bytes filtered(const std::vector<Bytes>& rows, std::size_t unit)
{
    Bytes out;
    Bytes above(rows.empty() ? 0 : rows[0].size(), 0);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const Bytes& row = rows[r];
        const auto type = static_cast<std::uint8_t>(r % 5);
        out.push_back(type);
        for (std::size_t i = 0; i < row.size(); ++i) {
            const int left = i >= unit ? row[i - unit] : 0, up = above[i], upLeft = i >= unit ? above[i - unit] : 0;
            const int predicted = type == 1   ? left
                                  : type == 2 ? up
                                  : type == 3 ? (left + up) / 2
                                  : type == 4 ? paeth(left, up, upLeft)
                                              : 0;
            out.push_back(static_cast<std::uint8_t>(row[i] - predicted));
        }
        above = row;
    }
    return out;
}

// A PNG stream of random samples of `kind`, plainly or Adam7 interlaced, with
// a palette (and its transparency) or a transparent colour where the kind takes one.
Bytes randomPng(Kind kind, int width, int height, bool interlaced, std::mt19937& random)
{
    const std::uint32_t largest = (1u << kind.depth) - 1;
    const int perPixel = channels(kind.colourType);
    const std::uint32_t paletteSize =
        kind.colourType == 3 ? std::min<std::uint32_t>(largest + 1, 1 + random() % 40) : 0;
    std::vector<std::uint32_t> samples(static_cast<std::size_t>(width * height * perPixel));
    for (auto& s : samples) {
        const std::uint32_t any = random() % (largest + 1);
        // Indices stay inside the palette; the extremes come often.
        s = kind.colourType == 3 ? any % paletteSize : random() % 3 == 0 ? (random() % 2) * largest : any;
    }
    std::vector<Bytes> extra;
    if (kind.colourType == 3) {
        Bytes palette(3 * paletteSize), alpha(1 + random() % paletteSize);
        for (auto& b : palette) b = static_cast<std::uint8_t>(random());
        for (auto& b : alpha) b = static_cast<std::uint8_t>(random());
        extra = {chunk("PLTE", palette), chunk("tRNS", alpha)};
    } else if (kind.colourType == 0 || (kind.colourType == 2 && kind.depth == 8)) {
        // (The toolkit gives a keyed 16-bit truecolour pixel some alpha: tested on its own below.)
        Bytes key; // the first pixel's colour
        for (int c = 0; c < perPixel; ++c)
            key.insert(key.end(), {static_cast<std::uint8_t>(samples[static_cast<std::size_t>(c)] >> 8),
                                   static_cast<std::uint8_t>(samples[static_cast<std::size_t>(c)])});
        extra = {chunk("tRNS", key)};
    }
    struct Pass {
        int x0, y0, dx, dy;
    };
    const std::vector<Pass> passes = interlaced
                                         ? std::vector<Pass>{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                                             {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}
                                         : std::vector<Pass>{{0, 0, 1, 1}};
    const std::size_t unit = std::max(1, perPixel * kind.depth / 8);
    Bytes data;
    for (const Pass& p : passes) {
        std::vector<Bytes> rows;
        for (int y = p.y0; y < height; y += p.dy) {
            std::vector<std::uint32_t> row;
            for (int x = p.x0; x < width; x += p.dx)
                for (int c = 0; c < perPixel; ++c)
                    row.push_back(samples[static_cast<std::size_t>((y * width + x) * perPixel + c)]);
            if (!row.empty()) rows.push_back(packed(row, kind.depth));
        }
        const Bytes pass = filtered(rows, unit);
        data.insert(data.end(), pass.begin(), pass.end());
    }
    return png(header(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), kind.depth,
                      kind.colourType, interlaced ? 1 : 0),
               deflated(data), extra);
}

std::optional<icons::Image> decode(const Bytes& stream)
{
    const auto png = icons::readPngStream(stream);
    if (!png) {
        ADD_FAILURE() << "the stream's chunks do not pass";
        return std::nullopt;
    }
    return icons::decodePngPixels(*png);
}

TEST(DecodePngPixels, GivesTheToolkitsPixelsForEveryColourTypeDepthAndInterlace)
{
    const Kind kinds[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                          {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
    std::mt19937 random(19);
    for (const Kind kind : kinds)
        for (const bool interlaced : {false, true})
            for (auto [width, height] : {std::pair{1, 1}, {5, 7}, {33, 17}, {256, 3}}) {
                const Bytes stream = randomPng(kind, width, height, interlaced, random);
                const auto ours = decode(stream);
                const QImage theirs = QImage::fromData(stream.data(), static_cast<int>(stream.size()), "PNG")
                                          .convertToFormat(QImage::Format_ARGB32);
                const std::string what = "colour type " + std::to_string(kind.colourType) + ", depth " +
                                         std::to_string(kind.depth) + (interlaced ? ", interlaced, " : ", ") +
                                         std::to_string(width) + " x " + std::to_string(height);
                ASSERT_TRUE(ours) << what;
                ASSERT_EQ(theirs.size(), QSize(width, height)) << what;
                int differing = 0;
                for (int y = 0; y < height; ++y)
                    for (int x = 0; x < width; ++x) {
                        const std::uint32_t a = ours->pixel(x, y), b = theirs.pixel(x, y);
                        // A fully transparent pixel's colour is never seen.
                        if (a != b && !(a >> 24 == 0 && b >> 24 == 0)) ++differing;
                    }
                EXPECT_EQ(differing, 0) << what;
            }
}

// The data of a 256 x 256 image whose rows are followed, inside the stream, by
// `copies` blocks that each inflate to 16 MiB of zeros: a small file that a
// decoder reading to the stream's end would inflate to gigabytes.
Bytes inflatingFar(const Bytes& rows, int copies)
{
    z_stream z{};
    deflateInit(&z, Z_BEST_COMPRESSION);
    Bytes out(deflateBound(&z, 32u << 20));
    const auto feed = [&](const Bytes& in, int flush) {
        z.next_in = const_cast<Bytef*>(in.data());
        z.avail_in = static_cast<uInt>(in.size());
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        deflate(&z, flush);
        return Bytes(out.begin(), out.end() - z.avail_out);
    };
    Bytes stream = feed(rows, Z_FULL_FLUSH);
    // After a full flush a block refers to nothing before it, so it can be repeated.
    const Bytes zeros = feed(Bytes(16u << 20, 0), Z_FULL_FLUSH);
    for (int n = 0; n < copies; ++n) stream.insert(stream.end(), zeros.begin(), zeros.end());
    const Bytes end = feed({}, Z_FINISH);
    stream.insert(stream.end(), end.begin(), end.end());
    deflateEnd(&z);
    return stream;
}

TEST(DecodePngPixels, InflatesNoFurtherThanItsRows)
{
    const Bytes rows = rgbaRows(256, 256, 0xFF00FF00u);
    const Bytes bomb = inflatingFar(rows, 64); // 1 GiB past the rows
    ASSERT_LT(bomb.size(), 2u << 20) << "within what an icon image may hold";
    const std::clock_t start = std::clock();
    EXPECT_FALSE(decode(png(header(256, 256), bomb)));
    // Inflating the gigabyte takes seconds; the rows and one byte past them, milliseconds.
    EXPECT_LT(static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC, 0.25);

    EXPECT_FALSE(decode(png(header(256, 256), deflated(rows, 1)))) << "one byte past its rows";
    EXPECT_FALSE(decode(png(header(256, 256), deflated(Bytes(rows.begin(), rows.end() - 4))))) << "short of its rows";
    const Bytes whole = deflated(rows);
    EXPECT_FALSE(decode(png(header(256, 256), Bytes(whole.begin(), whole.end() - 6)))) << "a stream that never ends";
    EXPECT_FALSE(decode(png(header(256, 256), damaged(whole)))) << "damaged data";
    const auto sound = decode(png(header(256, 256), whole));
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->pixel(255, 255), 0xFF00FF00u);
}

TEST(DecodePngPixels, AColourKeyMakesThatColourAloneTransparent)
{
    const Bytes key{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
    Bytes rows{0};
    rows.insert(rows.end(), key.begin(), key.end());
    rows.insert(rows.end(), {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBD});
    const auto image = decode(png(header(2, 1, 16, 2), deflated(rows), {chunk("tRNS", key)}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixel(0, 0), 0x0012569Au) << "the key, transparent, its colour kept";
    EXPECT_EQ(image->pixel(1, 0), 0xFF12569Au) << "one step from the key, opaque; 16 bits rounded to 8";
}

TEST(DecodePngPixels, RefusesDamagedCriticalChunksAndLeavesOutADamagedTransparency)
{
    const Bytes image =
        png(header(2, 1, 8, 3), deflated({0, 0, 1}), {chunk("PLTE", {255, 0, 0, 0, 0, 255}), chunk("tRNS", {0})});
    const auto sound = decode(image);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->pixel(0, 0), 0x00FF0000u) << "index 0 made transparent by tRNS";
    EXPECT_EQ(sound->pixel(1, 0), 0xFF0000FFu);
    // Each chunk's CRC is its last four bytes; the chunks follow the 8-byte signature.
    const auto damagedAt = [&](std::string_view type) {
        Bytes copy = image;
        const auto at = std::search(copy.begin(), copy.end(), type.begin(), type.end());
        const std::size_t length = static_cast<std::size_t>(at[-4]) << 24 | at[-3] << 16 | at[-2] << 8 | at[-1];
        at[static_cast<std::ptrdiff_t>(4 + length)] ^= 1;
        return copy;
    };
    for (std::string_view critical : {"IHDR", "PLTE", "IDAT", "IEND"})
        EXPECT_FALSE(decode(damagedAt(critical))) << critical;
    const auto withoutTransparency = decode(damagedAt("tRNS"));
    ASSERT_TRUE(withoutTransparency);
    EXPECT_EQ(withoutTransparency->pixel(0, 0), 0xFFFF0000u);

    EXPECT_FALSE(decode(png(header(2, 1, 8, 3), deflated({0, 0, 1})))) << "an indexed image without its palette";
    EXPECT_FALSE(decode(png(header(2, 1, 8, 6), deflated({5, 1, 2, 3, 4, 5, 6, 7, 8})))) << "filter type 5";
    const auto pastPalette = decode(png(header(2, 1, 8, 3), deflated({0, 0, 7}), {chunk("PLTE", {255, 0, 0})}));
    ASSERT_TRUE(pastPalette);
    EXPECT_EQ(pastPalette->pixel(1, 0), 0xFF000000u) << "an index past the palette reads as opaque black";
}

TEST(EncodePng, WritesThePixelsWithTheirAlpha)
{
    icons::Image image{3, 2, {0xFF102030u, 0x80405060u, 0x00000000u, 0x01FFFFFFu, 0xFFFFFFFFu, 0x7F000000u}};
    const auto bytes = icons::encodePng(image);
    const QImage read =
        QImage::fromData(bytes.data(), static_cast<int>(bytes.size()), "PNG").convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(read.size(), QSize(3, 2));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(read.pixel(x, y), image.pixel(x, y)) << x << ", " << y;
    const auto decoded = decode(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->pixels, image.pixels);
}

TEST(EncodePng, DeflatedForAFileTheUserKeeps)
{
    icons::Image image{64, 64, std::vector<std::uint32_t>(64 * 64, 0xFF2080C0u)};
    image.pixels[100] = 0x40FF0000u;
    const auto stored = icons::encodePng(image);
    const auto deflated = icons::encodePng(image, icons::PngPacking::Deflated);
    EXPECT_LT(deflated.size() * 10, stored.size()) << "one colour squeezes well";
    const auto decoded = decode(deflated);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->pixels, image.pixels);
}

TEST(IconsOut, NamesSortInTheOrderOfTheIcons)
{
    using icons::ExportFormat;
    EXPECT_EQ(icons::exportName("shell32.dll", 16, 184, ExportFormat::Png), "shell32-017.png");
    EXPECT_EQ(icons::exportName("shell32.dll", 183, 184, ExportFormat::Icon), "shell32-184.ico");
    EXPECT_EQ(icons::exportName("app.ico", 0, 1, ExportFormat::Icon), "app-1.ico");
    EXPECT_EQ(icons::exportName("Setup Tool.v2.exe", 9, 10, ExportFormat::Png), "Setup Tool.v2-10.png");
    EXPECT_EQ(icons::exportName("noextension", 0, 32767, ExportFormat::Png), "noextension-00001.png");
}

TEST(IconsOut, EveryIconIsWrittenIntoTheFolder)
{
    const auto folder = std::filesystem::temp_directory_path() / ("glint-export-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const icons::IconReader reader{std::filesystem::path(ICON_DATA_DIR) / "icons64.dll"};
    ASSERT_EQ(reader.count(), 3);
    for (const auto format : {icons::ExportFormat::Icon, icons::ExportFormat::Png}) {
        const auto result = icons::exportAllIcons(reader, "icons64.dll", folder, format);
        EXPECT_EQ(result.written, 3);
        EXPECT_TRUE(result.failures.empty());
    }
    for (int index = 0; index < 3; ++index) {
        const auto name = "icons64-" + std::to_string(index + 1);
        EXPECT_EQ(read(folder / (name + ".ico")), icons::iconFileBytes(reader.storedImages(index))) << name;
        EXPECT_EQ(read(folder / (name + ".png")), icons::largestImagePng(reader, index)) << name;
    }
    const QImage largest(QString::fromStdString((folder / "icons64-3.png").string()), "PNG");
    EXPECT_EQ(largest.size(), QSize(48, 48)) << "scaled.ico's larger image";

    // A folder that cannot be written to names every icon it could not write.
    const auto failed = icons::exportAllIcons(reader, "icons64.dll", folder / "missing", icons::ExportFormat::Png);
    EXPECT_EQ(failed.written, 0);
    ASSERT_EQ(failed.failures.size(), 3u);
    EXPECT_EQ(failed.failures[0].rfind("icons64-1.png: ", 0), 0u) << failed.failures[0];
    std::filesystem::remove_all(folder);
}

} // namespace
