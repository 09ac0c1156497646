#include "FileSource.h"

#include <limits>
#include <system_error>

namespace icons {

std::unique_ptr<FileSource> FileSource::open(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return nullptr;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    // std::fseek takes a long; files beyond its range are far past any icon container.
    if (error || size > static_cast<std::uintmax_t>(std::numeric_limits<long>::max())) return nullptr;
    std::FILE* file = std::fopen(path.string().c_str(), "rb");
    if (!file) return nullptr;
    std::setvbuf(file, nullptr, _IONBF, 0);
    return std::unique_ptr<FileSource>(new FileSource(file, size));
}

bool FileSource::read(std::uint64_t offset, std::span<std::uint8_t> destination) const
{
    if (!contains(offset, destination.size())) return false;
    if (destination.empty()) return true;
    if (std::fseek(file_.get(), static_cast<long>(offset), SEEK_SET) != 0) return false;
    return std::fread(destination.data(), 1, destination.size(), file_.get()) == destination.size();
}

} // namespace icons
