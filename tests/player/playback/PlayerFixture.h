#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "FixedSettings.h"
#include "Player.h"
#include "PlayerInternals.h"
#include "RecordingMessages.h"
#include "RecordingReadouts.h"
#include "SongDecoding.h"
#include "TempFolder.h"
#include "TestAudioDevice.h"

inline const std::string demoSong = DEMO_SONG;

inline std::string fixture(const std::string& name)
{
    return std::string(TEST_DATA_DIR) + "/mp3/" + name;
}

// Three names of the demo song: entries that play long enough (28 s) for the
// queue to fill before the song ends, told apart by their titles.
inline const std::vector<std::string> demoNames = {
    demoSong,
    std::string(DEMO_SONG_FOLDER) + "/./demo.mp3",
    std::string(DEMO_SONG_FOLDER) + "/../media/demo.mp3",
};

// A player on the test device, recording what it tells, with lists written
// to a folder of its own; the engine's tests build on it.
struct PlayerFixture : ::testing::Test {
    TestAudioDevice device;
    RecordingReadouts readouts;
    RecordingMessages messages;
    FixedSettings settings;
    TempFolder folder;
    std::unique_ptr<Player> player = std::make_unique<Player>(device, readouts, messages, settings);

    PlayerEngine& engine() { return PlayerInternals::of(*player); }

    ~PlayerFixture() override
    {
        player->stopPlayback();
        player.reset();
        EXPECT_EQ(device.misuses(), 0);
    }

    std::string list(const std::vector<std::string>& entries)
    {
        std::string text;
        for (const auto& entry : entries) text += entry + "\n";
        return folder.write("list" + std::to_string(lists_++) + ".m3u", text);
    }

    // The player has filled the queue and waits for the device.
    void waitForFullQueue() { ASSERT_TRUE(device.waitForQueued(64, std::chrono::seconds(30))); }

    // The n-th reset has been made and the first block after it queued, so
    // the player has set the position that goes with it.
    void waitForReset(int n)
    {
        ASSERT_TRUE(waitUntil([&] { return device.resets() == n && device.writes() > device.writesAtLastReset(); }));
    }

private:
    int lists_ = 0;
};
