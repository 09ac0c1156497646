#include "PcmFileWriter.h"

#include <cerrno>
#include <cstring>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace {

void putLe16(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void putLe32(std::uint8_t* p, std::uint32_t v)
{
    putLe16(p, v & 0xFFFF);
    putLe16(p + 2, v >> 16);
}

// The largest data size a RIFF header can state.
constexpr std::uint64_t maxWavData = 0xFFFFFFFFull - 36;

} // namespace

PcmFileWriter::~PcmFileWriter()
{
    if (ownsFile_ && file_ != nullptr) std::fclose(file_);
}

bool PcmFileWriter::open(const std::string& path, Format format, int sampleRate, int channels)
{
    format_ = format;
    sampleRate_ = sampleRate;
    channels_ = channels;
    if (path == "-") {
#if defined(_WIN32)
        // Standard output starts in text mode there, which would rewrite bytes.
        _setmode(_fileno(stdout), _O_BINARY);
#endif
        file_ = stdout;
        ownsFile_ = false;
    } else {
        file_ = std::fopen(path.c_str(), "wb");
        if (file_ == nullptr) {
            errorText_ = "cannot create " + path + ": " + std::strerror(errno);
            return false;
        }
        ownsFile_ = true;
    }
    if (format_ == Format::Wav && !writeWavHeader(0)) {
        errorText_ = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool PcmFileWriter::writeWavHeader(std::uint32_t dataBytes)
{
    std::uint8_t h[44];
    const std::uint32_t blockAlign = 2u * static_cast<std::uint32_t>(channels_);
    std::memcpy(h, "RIFF", 4);
    putLe32(h + 4, 36 + dataBytes);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    putLe32(h + 16, 16);
    putLe16(h + 20, 1); // integer PCM
    putLe16(h + 22, static_cast<std::uint32_t>(channels_));
    putLe32(h + 24, static_cast<std::uint32_t>(sampleRate_));
    putLe32(h + 28, static_cast<std::uint32_t>(sampleRate_) * blockAlign);
    putLe16(h + 32, blockAlign);
    putLe16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    putLe32(h + 40, dataBytes);
    return std::fwrite(h, 1, sizeof h, file_) == sizeof h;
}

void PcmFileWriter::writeBuffer(const std::uint8_t* data, int size)
{
    if (failed_ || size <= 0) return;
    const std::uint8_t* out = data;
    std::size_t count = static_cast<std::size_t>(size);
    if (channels_ == 1) {
        // Both outputs carry the one channel: keep the left samples.
        count /= 2;
        for (std::size_t i = 0; i < count; i += 2) {
            monoBlock_[i] = data[2 * i];
            monoBlock_[i + 1] = data[2 * i + 1];
        }
        out = monoBlock_;
    }
    if (std::fwrite(out, 1, count, file_) != count) {
        failed_ = true;
        errorText_ = std::string("write failed: ") + std::strerror(errno);
        return;
    }
    dataBytes_ += count;
}

bool PcmFileWriter::finish()
{
    if (file_ == nullptr) return false;
    if (!failed_ && format_ == Format::Wav) {
        std::uint32_t stated = static_cast<std::uint32_t>(dataBytes_ > maxWavData ? maxWavData : dataBytes_);
        if (std::fseek(file_, 0, SEEK_SET) != 0 || !writeWavHeader(stated)) {
            failed_ = true;
            errorText_ = std::string("cannot complete the WAV header: ") + std::strerror(errno);
        }
    }
    if (std::fflush(file_) != 0 && !failed_) {
        failed_ = true;
        errorText_ = std::string("write failed: ") + std::strerror(errno);
    }
    if (ownsFile_ && std::fclose(file_) != 0 && !failed_) {
        failed_ = true;
        errorText_ = std::string("write failed: ") + std::strerror(errno);
    }
    file_ = nullptr;
    return !failed_;
}
