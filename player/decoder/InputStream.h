#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace mp3 {

// A forward-reading byte source with repositioning, over a file or a block of
// memory. Files are read through one fixed buffer, so a song is streamed and
// never loaded whole.
class InputStream {
public:
    InputStream() = default;
    InputStream(const InputStream&) = delete;
    InputStream& operator=(const InputStream&) = delete;
    ~InputStream() { close(); }

    bool openFile(const char* path);
    void openMemory(const std::uint8_t* data, std::size_t size);
    void close();

    bool isOpen() const { return file_ != nullptr || memory_ != nullptr; }
    std::uint64_t size() const { return size_; }
    std::uint64_t position() const { return position_; }

    // Ends the stream at offset (when that is before its end): the bytes
    // after it are neither read nor sought to.
    void endAt(std::uint64_t offset);

    // Reads up to n bytes; returns how many arrived (0 at the end or on failure).
    std::size_t read(std::uint8_t* destination, std::size_t n);
    // Copies up to n bytes from offset, at or after the position, without
    // moving the position; returns how many (0 past the end). For a file the
    // bytes come from the buffer where they fit, so a look a frame ahead costs
    // no seek.
    std::size_t peek(std::uint64_t offset, std::uint8_t* destination, std::size_t n);
    // Moves to an absolute offset within the stream; false past its end,
    // and the position then stays (a file) or is the end (memory).
    bool seek(std::uint64_t offset);

private:
    bool refill();

    static constexpr std::size_t bufferCapacity = 32768;

    std::FILE* file_ = nullptr;
    const std::uint8_t* memory_ = nullptr;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
    std::uint8_t buffer_[bufferCapacity];
    std::size_t bufferLength_ = 0;
    std::size_t bufferOffset_ = 0;
};

} // namespace mp3
