#include "PngCodec.h"

#include <zlib.h>

#include <array>
#include <limits>

namespace icons {

namespace {

// Owns one inflate state.
class Inflater {
public:
    Inflater() { ready_ = inflateInit(&stream_) == Z_OK; }
    ~Inflater()
    {
        if (ready_) inflateEnd(&stream_);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    bool ready() const { return ready_; }
    z_stream& stream() { return stream_; }

private:
    z_stream stream_{};
    bool ready_ = false;
};

} // namespace

bool inflatesToItsRows(const PngImage& png)
{
    Inflater inflater;
    if (!inflater.ready()) return false;
    z_stream& z = inflater.stream();
    // The rows are only counted, never kept: one small buffer takes every piece.
    std::array<Bytef, 16384> scratch;
    for (const ByteRange& data : png.compressedData) {
        if (data.offset > png.bytes.size() || data.length > png.bytes.size() - data.offset
            || data.length > std::numeric_limits<uInt>::max())
            return false;
        z.next_in = const_cast<Bytef*>(png.bytes.data() + data.offset);
        z.avail_in = static_cast<uInt>(data.length);
        while (z.avail_in > 0) {
            z.next_out = scratch.data();
            z.avail_out = static_cast<uInt>(scratch.size());
            const int status = inflate(&z, Z_NO_FLUSH);
            if (z.total_out > png.inflatedSize) return false;
            // Bytes after the stream's end are never inflated by a decoder either.
            if (status == Z_STREAM_END) return z.total_out == png.inflatedSize;
            // With room to write and input to read, anything but progress is damage.
            if (status != Z_OK) return false;
        }
    }
    return false; // the stream never ends: the rows are cut short
}

} // namespace icons
