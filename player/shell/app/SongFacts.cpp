#include "SongFacts.h"

#include "Mp3Decoder.h"
#include "SongTags.h"

namespace {

// The samples per channel of one Layer III frame (ISO/IEC 11172-3 and
// 13818-3): 1152, or 576 at the lower sample rates.
int samplesIn(const mp3::FrameHeader& header)
{
    return header.lsf ? 576 : 1152;
}

// Whether the stream keeps the bitrate of header for a few frames from the
// place it stands.
bool keepsBitrate(mp3::Decoder& decoder, mp3::FrameHeader& header, int bitrate)
{
    constexpr int framesLooked = 12;
    for (int i = 0; i < framesLooked; ++i) {
        if (decoder.nextFrame(header) != mp3::FrameRead::frame) return true;
        if (mp3::bitrateKbps(header) != bitrate) return false;
    }
    return true;
}

// One bitrate at its start, a third and two thirds in: a constant bitrate,
// whose length the file's size tells without reading it through.
bool looksConstant(mp3::Decoder& decoder, mp3::FrameHeader header)
{
    const int bitrate = mp3::bitrateKbps(header);
    for (const double at : {0.0, 1.0 / 3.0, 2.0 / 3.0}) {
        if (at > 0.0 && !decoder.seekToFraction(header, at)) return false;
        if (!keepsBitrate(decoder, header, bitrate)) return false;
    }
    return true;
}

double countedSeconds(mp3::Decoder& decoder, mp3::FrameHeader& header, const FactsStopCheck& stopped)
{
    // Frames are counted, not decoded: each one's header gives its samples.
    double seconds = 0.0;
    int frames = 0;
    do {
        seconds += double(samplesIn(header)) / mp3::sampleRateHz(header);
        if (++frames % 256 == 0 && stopped && stopped()) return -1.0;
    } while (decoder.nextFrame(header) == mp3::FrameRead::frame);
    return seconds;
}

int secondsOf(const std::string& path, const FactsStopCheck& stopped)
{
    mp3::Decoder decoder;
    if (!decoder.openSong(path.c_str())) return -1;
    mp3::FrameHeader header;
    if (decoder.nextFrame(header) != mp3::FrameRead::frame) return -1;
    const mp3::StreamLength length = decoder.streamLength(header);
    if (length.fromHeaderFrame) return length.wholeSeconds;
    const mp3::FrameHeader first = header;
    if (looksConstant(decoder, header))
        return static_cast<int>(double(length.frames) * samplesIn(first) / mp3::sampleRateHz(first));
    // A varying bitrate without a header frame: its length is its frames'.
    decoder.closeSong();
    if (!decoder.openSong(path.c_str()) || decoder.nextFrame(header) != mp3::FrameRead::frame) return -1;
    return static_cast<int>(countedSeconds(decoder, header, stopped));
}

} // namespace

SongFacts readSongFacts(const std::string& path, const FactsStopCheck& stopped)
{
    SongFacts facts;
    const songtags::SongTags tags = songtags::readSongTags(path);
    facts.title = tags.title;
    facts.artist = tags.artist;
    facts.seconds = secondsOf(path, stopped);
    return facts;
}
