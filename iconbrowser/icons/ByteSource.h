#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace icons {

// Random access to the bytes of one file or memory block. Every read names its
// offset and length; a read that would reach past the end fails whole, so no
// parser ever sees bytes that are not there.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    virtual bool read(std::uint64_t offset, std::span<std::uint8_t> destination) const = 0;

    bool contains(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= size() && length <= size() - offset;
    }

    std::optional<std::vector<std::uint8_t>> readBytes(std::uint64_t offset, std::size_t length) const
    {
        if (!contains(offset, length)) return std::nullopt;
        std::vector<std::uint8_t> bytes(length);
        if (!read(offset, bytes)) return std::nullopt;
        return bytes;
    }
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint64_t size() const override { return bytes_.size(); }

    bool read(std::uint64_t offset, std::span<std::uint8_t> destination) const override
    {
        if (!contains(offset, destination.size())) return false;
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), destination.size(), destination.begin());
        return true;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

// A run of bytes inside a source: where an icon directory or an image lives.
struct ByteRange {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

} // namespace icons
