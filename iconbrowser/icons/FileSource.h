#pragma once

#include "ByteSource.h"

#include <cstdio>
#include <filesystem>
#include <memory>

namespace icons {

// A regular file read piece by piece at the offsets asked for; nothing is
// buffered beyond the read itself, so memory does not grow with the file.
class FileSource final : public ByteSource {
public:
    // Null for a missing, unreadable or non-regular file (a pipe would block).
    static std::unique_ptr<FileSource> open(const std::filesystem::path& path);

    std::uint64_t size() const override { return size_; }
    bool read(std::uint64_t offset, std::span<std::uint8_t> destination) const override;

private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    FileSource(std::FILE* file, std::uint64_t size) : file_(file), size_(size) {}

    std::unique_ptr<std::FILE, Closer> file_;
    std::uint64_t size_;
};

} // namespace icons
