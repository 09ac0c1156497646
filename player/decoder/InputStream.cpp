#include "InputStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#if defined(_WIN32)
#include <sys/stat.h>
#include <sys/types.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// Opens a regular file only. A FIFO would block the opening (and every read)
// until a writer came, a device can stream without end, and a folder holds
// no bytes: each is refused at once, with errno set to ENXIO, EISDIR or the
// reason the opening failed.
std::FILE* openRegularFile(const char* path)
{
#if defined(_WIN32)
    struct _stat64 status;
    if (_stat64(path, &status) != 0) return nullptr;
    if ((status.st_mode & _S_IFMT) != _S_IFREG) {
        errno = (status.st_mode & _S_IFMT) == _S_IFDIR ? EISDIR : ENXIO;
        return nullptr;
    }
    return std::fopen(path, "rb");
#else
    // A device is not opened at all: opening one can itself act (a tape
    // rewinds, a terminal becomes ours). The opened file is checked again, and
    // without O_NONBLOCK a FIFO swapped in between would wait for a writer.
    struct stat status;
    if (::stat(path, &status) != 0) return nullptr;
    if (!S_ISREG(status.st_mode)) {
        errno = S_ISDIR(status.st_mode) ? EISDIR : ENXIO;
        return nullptr;
    }
    int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return nullptr;
    int reason = 0;
    if (::fstat(fd, &status) != 0)
        reason = errno;
    else if (!S_ISREG(status.st_mode))
        reason = S_ISDIR(status.st_mode) ? EISDIR : ENXIO;
    if (reason != 0) {
        ::close(fd);
        errno = reason;
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        int reason = errno;
        ::close(fd);
        errno = reason;
    }
    return file;
#endif
}

} // namespace

bool InputStream::openFile(const char* path)
{
    close();
    std::FILE* file = openRegularFile(path);
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

void InputStream::endAt(std::uint64_t offset)
{
    size_ = std::min(size_, offset);
}

bool InputStream::refill()
{
    bufferOffset_ = 0;
    bufferLength_ = std::fread(buffer_, 1, bufferCapacity, file_);
    return bufferLength_ > 0;
}

std::size_t InputStream::read(std::uint8_t* destination, std::size_t n)
{
    std::uint64_t available = position_ < size_ ? size_ - position_ : 0;
    n = static_cast<std::size_t>(std::min<std::uint64_t>(n, available));
    if (memory_ != nullptr) {
        if (n > 0) std::memcpy(destination, memory_ + position_, n);
        position_ += n;
        return n;
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

std::size_t InputStream::peek(std::uint64_t offset, std::uint8_t* destination, std::size_t n)
{
    if (offset < position_ || offset >= size_) return 0;
    n = static_cast<std::size_t>(std::min<std::uint64_t>(n, size_ - offset));
    if (memory_ != nullptr) {
        std::memcpy(destination, memory_ + offset, n);
        return n;
    }
    if (file_ == nullptr) return 0;
    const std::uint64_t ahead = offset - position_;
    if (ahead + n > bufferCapacity) {
        const std::uint64_t here = position_;
        std::size_t got = seek(offset) ? read(destination, n) : 0;
        seek(here);
        return got;
    }
    std::size_t buffered = bufferLength_ - bufferOffset_;
    if (ahead + n > buffered) {
        // The unread bytes move to the front and the rest of the buffer is filled.
        std::memmove(buffer_, buffer_ + bufferOffset_, buffered);
        bufferOffset_ = 0;
        bufferLength_ = buffered + std::fread(buffer_ + buffered, 1, bufferCapacity - buffered, file_);
        buffered = bufferLength_;
        if (ahead >= buffered) return 0;
        n = std::min<std::size_t>(n, buffered - static_cast<std::size_t>(ahead));
    }
    std::memcpy(destination, buffer_ + bufferOffset_ + ahead, n);
    return n;
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
