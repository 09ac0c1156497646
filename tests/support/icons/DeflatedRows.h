#pragma once

// zlib streams for PNG image data in tests: sound, padded with zeros past the
// rows (data that inflates far past what its header declares), or damaged.

#include "IconBytes.h"

#include <zlib.h>

#include <stdexcept>

namespace iconbytes {

// `rows` compressed as one zlib stream, followed inside the stream by
// `trailingZeros` zero bytes (which compress about a thousandfold).
inline Bytes deflated(const Bytes& rows, std::size_t trailingZeros = 0)
{
    z_stream z{};
    if (deflateInit(&z, Z_BEST_COMPRESSION) != Z_OK) throw std::runtime_error("deflateInit failed");
    Bytes out;
    std::array<std::uint8_t, 65536> buffer{};
    const Bytes zeros(1 << 20, 0);
    const auto feed = [&](const std::uint8_t* data, std::size_t length, int flush) {
        z.next_in = const_cast<Bytef*>(data);
        z.avail_in = static_cast<uInt>(length);
        do {
            z.next_out = buffer.data();
            z.avail_out = static_cast<uInt>(buffer.size());
            deflate(&z, flush);
            out.insert(out.end(), buffer.data(), buffer.data() + (buffer.size() - z.avail_out));
        } while (z.avail_out == 0 || z.avail_in > 0);
    };
    feed(rows.data(), rows.size(), Z_NO_FLUSH);
    for (std::size_t left = trailingZeros; left > 0;) {
        const std::size_t piece = std::min(left, zeros.size());
        feed(zeros.data(), piece, Z_NO_FLUSH);
        left -= piece;
    }
    feed(nullptr, 0, Z_FINISH);
    deflateEnd(&z);
    return out;
}

// The same stream with every byte after its two-byte header inverted.
inline Bytes damaged(Bytes stream)
{
    for (std::size_t at = 2; at < stream.size(); ++at) stream[at] = static_cast<std::uint8_t>(~stream[at]);
    return stream;
}

} // namespace iconbytes
