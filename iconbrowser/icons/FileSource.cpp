#include "FileSource.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace icons {

#ifndef _WIN32
// Only a regular file is opened: opening a device can itself act (a tape
// rewinds, a watchdog arms). The open does not wait, and the open file is
// checked again, so a file swapped for a pipe in between cannot block.
std::unique_ptr<FileSource> FileSource::open(const std::filesystem::path& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return nullptr;
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return nullptr;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0) {
        ::close(descriptor);
        return nullptr;
    }
    return std::unique_ptr<FileSource>(new FileSource(descriptor, static_cast<std::uint64_t>(status.st_size)));
}

FileSource::~FileSource()
{
    ::close(file_);
}

bool FileSource::readFromFile(std::uint64_t offset, std::span<std::uint8_t> destination) const
{
    std::size_t done = 0;
    while (done < destination.size()) {
        const ssize_t got =
            pread(file_, destination.data() + done, destination.size() - done, static_cast<off_t>(offset + done));
        if (got <= 0) return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}
#else
std::unique_ptr<FileSource> FileSource::open(const std::filesystem::path& path)
{
    std::error_code error;
    // One look at the file answers both questions below.
    const std::filesystem::directory_entry entry(path, error);
    if (error || !entry.is_regular_file(error)) return nullptr;
    const std::uintmax_t size = entry.file_size(error);
    // std::fseek takes a long; files beyond its range are far past any icon container.
    if (error || size > static_cast<std::uintmax_t>(std::numeric_limits<long>::max())) return nullptr;
    std::FILE* file = std::fopen(path.string().c_str(), "rb");
    if (!file) return nullptr;
    std::setvbuf(file, nullptr, _IONBF, 0);
    return std::unique_ptr<FileSource>(new FileSource(file, size));
}

FileSource::~FileSource()
{
    std::fclose(file_);
}

bool FileSource::readFromFile(std::uint64_t offset, std::span<std::uint8_t> destination) const
{
    if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) return false;
    return std::fread(destination.data(), 1, destination.size(), file_) == destination.size();
}
#endif

bool FileSource::read(std::uint64_t offset, std::span<std::uint8_t> destination) const
{
    if (!contains(offset, destination.size())) return false;
    if (destination.empty()) return true;
    if (destination.size() > blockSize) return readFromFile(offset, destination);
    const auto inBlock = [&] {
        return offset >= blockStart_ && offset + destination.size() <= blockStart_ + blockLength_;
    };
    if (!inBlock()) {
        // The aligned block around the read, or the block from the read on
        // when it would cross the aligned block's end.
        std::uint64_t start = offset - offset % blockSize;
        if (offset + destination.size() > start + blockSize) start = offset;
        const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(blockSize, size_ - start));
        blockLength_ = 0;
        if (!readFromFile(start, std::span(block_.data(), length))) return false;
        blockStart_ = start;
        blockLength_ = length;
    }
    std::memcpy(destination.data(), block_.data() + (offset - blockStart_), destination.size());
    return true;
}

} // namespace icons
