#pragma once

#include "Icons.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace icons {

// A regular file read piece by piece at the offsets asked for. Small reads
// are served from one block read ahead, since the headers and directories of
// a container lie close together; memory stays one block whatever the file.
class FileSource final : public ByteSource {
public:
    static constexpr std::size_t blockSize = 4096;

    // Null for a missing, unreadable or non-regular file (a pipe would block).
    static std::unique_ptr<FileSource> open(const std::filesystem::path& path);

    std::uint64_t size() const override { return size_; }
    bool read(std::uint64_t offset, std::span<std::uint8_t> destination) const override;

    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

private:
#ifdef _WIN32
    using Handle = std::FILE*;
#else
    using Handle = int; // a file descriptor, read with pread: one call a read
#endif

    FileSource(Handle file, std::uint64_t size) : file_(file), size_(size) {}
    bool readFromFile(std::uint64_t offset, std::span<std::uint8_t> destination) const;

    Handle file_;
    std::uint64_t size_;
    mutable std::array<std::uint8_t, blockSize> block_{};
    mutable std::uint64_t blockStart_ = 0;
    mutable std::size_t blockLength_ = 0;
};

} // namespace icons
