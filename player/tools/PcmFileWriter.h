#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "Mp3Decoder.h"

// Writes the decoder's interleaved stereo blocks to a file as raw signed
// 16-bit little-endian PCM or as a WAV file, keeping one channel or both.
class PcmFileWriter : public mp3::PcmSink {
public:
    enum class Format { Raw, Wav };

    PcmFileWriter() = default;
    PcmFileWriter(const PcmFileWriter&) = delete;
    PcmFileWriter& operator=(const PcmFileWriter&) = delete;
    ~PcmFileWriter();

    // "-" means standard output (raw only). Returns false with errorText set.
    bool open(const std::string& path, Format format, int sampleRate, int channels);
    void writeBuffer(const std::uint8_t* data, int size) override;
    // Completes the WAV header and closes; false when any write failed.
    bool finish();

    const std::string& errorText() const { return errorText_; }
    std::uint64_t bytesWritten() const { return dataBytes_; }

private:
    bool writeWavHeader(std::uint32_t dataBytes);

    std::FILE* file_ = nullptr;
    bool ownsFile_ = false;
    Format format_ = Format::Raw;
    int sampleRate_ = 0;
    int channels_ = 2;
    std::uint64_t dataBytes_ = 0;
    bool failed_ = false;
    std::string errorText_;
    std::uint8_t monoBlock_[mp3::pcmBlockBytes];
};
