#include "InputStream.h"

#include <algorithm>
#include <cstring>

namespace mp3 {

namespace {

bool seekFile(std::FILE* file, std::uint64_t offset)
{
#if defined(_WIN32)
    return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

bool fileSize(std::FILE* file, std::uint64_t& size)
{
#if defined(_WIN32)
    if (_fseeki64(file, 0, SEEK_END) != 0) return false;
    __int64 end = _ftelli64(file);
#else
    if (fseeko(file, 0, SEEK_END) != 0) return false;
    off_t end = ftello(file);
#endif
    if (end < 0) return false;
    size = static_cast<std::uint64_t>(end);
    return seekFile(file, 0);
}

} // namespace

bool InputStream::openFile(const char* path)
{
    close();
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    // Our own buffer does the buffering; a second one in the C library would
    // only copy every byte twice.
    std::setvbuf(file, nullptr, _IONBF, 0);
    if (!fileSize(file, size_)) {
        std::fclose(file);
        size_ = 0;
        return false;
    }
    file_ = file;
    return true;
}

void InputStream::openMemory(const std::uint8_t* data, std::size_t size)
{
    close();
    static const std::uint8_t empty = 0;
    memory_ = data != nullptr ? data : &empty;
    size_ = size;
}

void InputStream::close()
{
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    memory_ = nullptr;
    size_ = 0;
    position_ = 0;
    bufferLength_ = 0;
    bufferOffset_ = 0;
}

bool InputStream::refill()
{
    bufferOffset_ = 0;
    bufferLength_ = std::fread(buffer_, 1, bufferCapacity, file_);
    return bufferLength_ > 0;
}

std::size_t InputStream::read(std::uint8_t* destination, std::size_t n)
{
    if (memory_ != nullptr) {
        std::uint64_t available = position_ < size_ ? size_ - position_ : 0;
        std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(n, available));
        if (count > 0) std::memcpy(destination, memory_ + position_, count);
        position_ += count;
        return count;
    }
    if (file_ == nullptr) return 0;
    std::size_t done = 0;
    while (done < n) {
        if (bufferOffset_ == bufferLength_ && !refill()) break;
        std::size_t count = std::min(n - done, bufferLength_ - bufferOffset_);
        std::memcpy(destination + done, buffer_ + bufferOffset_, count);
        bufferOffset_ += count;
        done += count;
    }
    position_ += done;
    return done;
}

bool InputStream::seek(std::uint64_t offset)
{
    if (memory_ != nullptr) {
        position_ = std::min(offset, size_);
        return offset <= size_;
    }
    // Past the end there is nothing to read: refused, as for memory, rather
    // than left to the C library, which would allow it.
    if (file_ == nullptr || offset > size_ || !seekFile(file_, offset)) return false;
    position_ = offset;
    bufferLength_ = 0;
    bufferOffset_ = 0;
    return true;
}

} // namespace mp3
