#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Mp3Decoder.h"

// The decoder's own output for a whole song, in the blocks it hands on: what
// the player must have sent to the device; with `tail`, also the last partial
// block, which the player keeps for the next song. Run only while no player
// thread runs, since the decoder's state is process-wide.
inline std::vector<std::uint8_t> decodeWholeSong(const std::string& path, bool equaliser, bool tail = false)
{
    struct Collect : mp3::PcmSink {
        std::vector<std::uint8_t> bytes;
        void writeBuffer(const std::uint8_t* data, int size) override { bytes.insert(bytes.end(), data, data + size); }
    } sink;
    mp3::setEqualiser(equaliser);
    mp3::resetDecoder();
    mp3::openSong(path.c_str());
    mp3::FrameHeader header;
    while (mp3::nextFrame(header)) mp3::decodeFrame(header, sink);
    mp3::endStream();
    if (tail) mp3::flushPcm(sink);
    mp3::closeSong();
    return sink.bytes;
}

inline bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(30))
{
    auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
