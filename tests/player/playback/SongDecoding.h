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
// block, which the player keeps for the next song. A decoder of its own reads
// it, so a player thread may run meanwhile.
inline std::vector<std::uint8_t> decodeWholeSong(const std::string& path, bool equaliser, bool tail = false)
{
    struct Collect : mp3::PcmSink {
        std::vector<std::uint8_t> bytes;
        void writeBuffer(const std::uint8_t* data, int size) override { bytes.insert(bytes.end(), data, data + size); }
    } sink;
    mp3::Decoder decoder;
    decoder.setEqualiser(equaliser);
    decoder.openSong(path.c_str());
    mp3::FrameHeader header;
    while (decoder.nextFrame(header) == mp3::FrameRead::frame) decoder.decodeFrame(header, sink);
    decoder.endStream();
    if (tail) decoder.flushPcm(sink);
    decoder.closeSong();
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
