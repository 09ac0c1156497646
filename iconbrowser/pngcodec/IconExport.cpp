// Icons out of a file without a toolkit: the largest image as a PNG stream,
// and every icon of a file written into a folder.
#include "Limits.h"
#include "PngCodec.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace icons {

namespace {

bool largerFirst(const StoredImage& a, const StoredImage& b)
{
    if (a.width * a.height != b.width * b.height) return a.width * a.height > b.width * b.height;
    return a.bitCount > b.bitCount;
}

// Writes the whole file, or says why not.
std::string writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    errno = 0;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (out) out.close();
    if (out) return {};
    return errno != 0 ? std::strerror(errno) : "could not be written";
}

} // namespace

std::vector<std::uint8_t> largestImagePng(const IconReader& reader, int index)
{
    std::vector<StoredImage> images = reader.storedImages(index);
    std::stable_sort(images.begin(), images.end(), largerFirst);
    // Many entries may name one image made to fail: it costs its bound once.
    std::uint64_t failed = 0;
    for (StoredImage& stored : images) {
        if (failed >= maxFailedImageBytes) break;
        auto image = decodeStoredImage(stored);
        if (const auto* png = image ? std::get_if<PngImage>(&*image) : nullptr) {
            if (decodePngPixels(*png)) return std::move(stored.bytes);
        } else if (image) {
            auto encoded = encodePng(std::get<Image>(*image), PngPacking::Deflated);
            if (!encoded.empty()) return encoded;
        }
        failed += stored.bytes.size();
    }
    return {};
}

std::string exportName(const std::string& fileName, int index, int count, ExportFormat format)
{
    std::string stem = std::filesystem::path(fileName).stem().string();
    if (stem.empty()) stem = fileName;
    const int digits = static_cast<int>(std::to_string(std::max(count, 1)).size());
    char number[16];
    std::snprintf(number, sizeof number, "%0*d", digits, index + 1);
    return stem + "-" + number + (format == ExportFormat::Icon ? ".ico" : ".png");
}

ExportResult exportAllIcons(const IconReader& reader, const std::string& fileName, const std::filesystem::path& folder,
                            ExportFormat format)
{
    ExportResult result;
    const int count = std::min(reader.count(), maxIconCount);
    for (int index = 0; index < count; ++index) {
        const std::string name = exportName(fileName, index, count, format);
        std::vector<std::uint8_t> bytes;
        if (format == ExportFormat::Png)
            bytes = largestImagePng(reader, index);
        else if (const auto stored = reader.storedImages(index); !stored.empty())
            bytes = iconFileBytes(stored);
        const std::string error = bytes.empty() ? "the icon has no readable image" : writeFile(folder / name, bytes);
        if (error.empty())
            ++result.written;
        else
            result.failures.push_back(name + ": " + error);
    }
    return result;
}

} // namespace icons
