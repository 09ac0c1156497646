#include "ImageData.h"
#include "PngCodec.h"

#include <array>
#include <limits>

namespace icons {

ImageData::ImageData(const PngImage& png) : png_(png)
{
    ready_ = inflateInit(&stream_) == Z_OK;
}

ImageData::~ImageData()
{
    if (ready_) inflateEnd(&stream_);
}

bool ImageData::nextChunk()
{
    if (nextChunk_ >= png_.compressedData.size()) return false;
    const ByteRange& data = png_.compressedData[nextChunk_++];
    if (data.offset > png_.bytes.size() || data.length > png_.bytes.size() - data.offset ||
        data.length > std::numeric_limits<uInt>::max())
        return false;
    stream_.next_in = const_cast<Bytef*>(png_.bytes.data() + data.offset);
    stream_.avail_in = static_cast<uInt>(data.length);
    return true;
}

bool ImageData::read(std::span<std::uint8_t> piece)
{
    if (!ready_ || piece.size() > png_.inflatedSize - stream_.total_out) return false;
    stream_.next_out = piece.data();
    stream_.avail_out = static_cast<uInt>(piece.size());
    while (stream_.avail_out > 0) {
        if (stream_.avail_in == 0 && !nextChunk()) return false; // the rows are cut short
        const int status = inflate(&stream_, Z_NO_FLUSH);
        // An end before the piece is full is rows cut short.
        if (status == Z_STREAM_END) {
            ended_ = true;
            return stream_.avail_out == 0;
        }
        // With room to write and input to read, anything but progress is damage.
        if (status != Z_OK && !(status == Z_BUF_ERROR && stream_.avail_in == 0)) return false;
    }
    return true;
}

bool ImageData::endsHere()
{
    if (!ready_ || stream_.total_out != png_.inflatedSize) return false;
    if (ended_) return true;
    // One byte of room: the end of the stream writes nothing, more data would.
    std::uint8_t beyond = 0;
    for (;;) {
        if (stream_.avail_in == 0 && !nextChunk()) return false; // the stream never ends
        stream_.next_out = &beyond;
        stream_.avail_out = 1;
        const int status = inflate(&stream_, Z_NO_FLUSH);
        if (stream_.avail_out == 0) return false;
        // Bytes after the stream's end are never inflated by a decoder either.
        if (status == Z_STREAM_END) return true;
        if (status != Z_OK && !(status == Z_BUF_ERROR && stream_.avail_in == 0)) return false;
    }
}

bool inflatesToItsRows(const PngImage& png)
{
    ImageData data(png);
    // The rows are only counted, never kept: one small buffer takes every piece.
    std::array<std::uint8_t, 16384> scratch;
    for (std::uint64_t left = png.inflatedSize; left > 0;) {
        const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(left, scratch.size()));
        if (!data.read(std::span(scratch.data(), piece))) return false;
        left -= piece;
    }
    return data.endsHere();
}

} // namespace icons
