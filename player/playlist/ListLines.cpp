#include "ListLines.h"

#include <algorithm>

#include "ListFile.h"

namespace {

constexpr std::size_t pieceSize = 8192;

} // namespace

ListLines::ListLines(ListFile& file, std::size_t& bytesLeft) : file_(file), bytesLeft_(bytesLeft), piece_(pieceSize) {}

ListLines::Next ListLines::next(std::string& line)
{
    line.clear();
    bool started = false;
    bool tooLong = false;
    for (;;) {
        if (at_ == end_ && !fill()) {
            if (outOfBytes_) return Next::outOfBytes;
            if (!started) return Next::end;
            return tooLong ? Next::tooLong : Next::line;
        }
        started = true;
        const char* begin = piece_.data() + at_;
        const char* end = piece_.data() + end_;
        const char* lineFeed = std::find(begin, end, '\n');
        if (!tooLong) {
            auto length = static_cast<std::size_t>(lineFeed - begin);
            if (line.size() + length > maxLineLength) {
                tooLong = true;
                line.clear();
            } else {
                line.append(begin, length);
            }
        }
        at_ = static_cast<std::size_t>(lineFeed - piece_.data());
        if (lineFeed != end) {
            ++at_;
            return tooLong ? Next::tooLong : Next::line;
        }
    }
}

bool ListLines::fill()
{
    if (bytesLeft_ == 0) {
        outOfBytes_ = true;
        return false;
    }
    std::size_t got = file_.read(piece_.data(), std::min(piece_.size(), bytesLeft_));
    if (got == 0) return false;
    bytesLeft_ -= got;
    at_ = 0;
    end_ = got;
    return true;
}
