// The whole engine on SDL's disk driver: what reaches the "device" file is
// the decoder's own output for the song, with the equaliser ("Pure" is 0).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "FixedSettings.h"
#include "Player.h"
#include "RecordingMessages.h"
#include "RecordingReadouts.h"
#include "SdlAudioDevice.h"
#include "SongDecoding.h"
#include "TempFolder.h"

namespace {

std::vector<std::uint8_t> withoutLeadingSilence(const std::vector<std::uint8_t>& bytes)
{
    auto first = std::find_if(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != 0; });
    return {first, bytes.end()};
}

} // namespace

TEST(EndToEnd, TheDeviceHearsTheDecodersOutputForTheDemoSong)
{
    auto expected = withoutLeadingSilence(decodeWholeSong(DEMO_SONG, true));
    ASSERT_GT(expected.size(), 20u * 176400u);
    // A song that ends by itself loses its partly filled last block.
    expected.resize(expected.size() / 16384 * 16384 - 16384);

    TempFolder folder;
    std::string output = folder.file("device.raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "8", 1);

    SdlAudioDevice device;
    RecordingReadouts readouts;
    RecordingMessages messages;
    FixedSettings settings;
    Player player(device, readouts, messages, settings);
    player.startPlayerThread(DEMO_SONG);
    // A device period of 46 ms written every 8 ms: about six times real time.
    ASSERT_TRUE(waitUntil(
        [&] {
            std::error_code error;
            auto size = std::filesystem::file_size(output, error);
            return !error && size > expected.size() + 1024 * 1024;
        },
        std::chrono::seconds(60)));
    player.stopPlayback();
    EXPECT_TRUE(messages.messages().empty());

    std::ifstream file(output, std::ios::binary);
    auto heard = withoutLeadingSilence({std::istreambuf_iterator<char>(file), {}});
    ASSERT_GE(heard.size(), expected.size());
    // Should the decoder ever fall behind the device (this driver plays much
    // faster than real time), the device plays silence meanwhile: zero bytes
    // may stand between the song's bytes, but nothing else may differ.
    std::size_t at = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        while (at < heard.size() && heard[at] != expected[i] && heard[at] == 0) ++at;
        ASSERT_LT(at, heard.size()) << "the file ends before byte " << i << " of the song";
        ASSERT_EQ(heard[at], expected[i]) << "at byte " << i << " of the song";
        ++at;
    }
    auto rates = readouts.sampleRates(); // once for each time the song began
    ASSERT_FALSE(rates.empty());
    EXPECT_TRUE(std::all_of(rates.begin(), rates.end(), [](int rate) { return rate == 44; }));
    EXPECT_FALSE(readouts.times().empty());
}
