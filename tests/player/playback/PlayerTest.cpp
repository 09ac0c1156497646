#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <random>

#include "ApeTag.h"
#include "FixedSettings.h"
#include "FrameDamage.h"
#include "WavFile.h"
#include "Mp3Decoder.h"
#include "PlayerFixture.h"
#include "PlayerMessages.h"
#include "RecordingMessages.h"
#include "RecordingReadouts.h"
#include "SongDecoding.h"
#include "TempFolder.h"
#include "TestAudioDevice.h"

using namespace std::chrono_literals;

namespace {

struct PlayerTest : PlayerFixture {
    void waitForTitles(std::size_t n)
    {
        ASSERT_TRUE(waitUntil([&] { return readouts.titles().size() >= n; })) << readouts.titles().size();
    }

    // The frames heard of the song heard.
    std::uint32_t heardFrame() { return engine().audibleSong().heard().frame; }

    // The readouts were told what is heard now, as far as they show it.
    void waitForReadouts()
    {
        ASSERT_TRUE(waitUntil([&] { return readouts.last().showsAlike(player->audible()); }));
    }

    bool running() { return player->isRunning(); }

    void expectStoppedCleanly()
    {
        EXPECT_TRUE(waitUntil([&] { return !running(); }));
        EXPECT_EQ(engine().control().stopRequested.load(), 0);
        EXPECT_FALSE(device.isOpen());
        EXPECT_EQ(engine().waveOutput().freeBuffers(), 64);
    }
};

} // namespace

TEST_F(PlayerTest, StopWithoutAPlayerReturnsAtOnceAndRequestsWaitForNoOne)
{
    player->stopPlayback();
    player->requestNext();
    player->requestPrevious();
    EXPECT_EQ(engine().control().stopRequested.load(), 0);
    // The next start clears what was asked while nothing ran.
    player->startPlayerThread(demoSong);
    waitForFullQueue();
    EXPECT_EQ(device.resets(), 0);
    EXPECT_EQ(readouts.titles(), std::vector<std::string>{demoSong});
}

TEST_F(PlayerTest, PlaysASongWithTheEqualiserUnlessPureIsSet)
{
    player->startPlayerThread(demoSong);
    waitForFullQueue();
    EXPECT_EQ(readouts.sampleRates(), std::vector<int>{44});
    EXPECT_EQ(readouts.bitrates(), std::vector<int>{128});
    EXPECT_EQ(device.format().sampleRate, 44100);
    EXPECT_EQ(device.format().channelCount, 2);
    EXPECT_GT(player->audible().lengthSeconds, 20);
    EXPECT_EQ(player->audible().lengthSeconds, engine().decodedSongSeconds());
    player->stopPlayback();
    EXPECT_TRUE(engine().decoder().equaliserOn());
    expectStoppedCleanly();

    settings.set("Pure", 1);
    player->startPlayerThread(demoSong);
    waitForFullQueue();
    player->stopPlayback();
    EXPECT_FALSE(engine().decoder().equaliserOn());
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(PlayerTest, TheSoundIsTheDecodersWithTheEqualiserOrPure)
{
    const std::string song = fixture("joint-128.mp3");
    const auto shaped = decodeWholeSong(song, true);
    const auto pure = decodeWholeSong(song, false);
    ASSERT_GE(pure.size(), 10u * 16384);
    ASSERT_NE(pure, shaped);
    device.setFlowing(true);
    for (int pureSetting : {1, 0}) {
        settings.set("Pure", pureSetting);
        std::size_t before = device.played().size();
        player->startPlayerThread(song);
        ASSERT_TRUE(waitUntil([&] { return device.played().size() >= before + 10 * 16384; }));
        player->stopPlayback();
        const auto& expected = pureSetting ? pure : shaped;
        auto played = device.played();
        EXPECT_TRUE(
            std::equal(expected.begin(), expected.begin() + 10 * 16384, played.begin() + static_cast<long>(before)))
            << "Pure " << pureSetting;
    }
}

TEST_F(PlayerTest, SongsThatEndByThemselvesFollowEachOtherWithoutLosingASample)
{
    // Each 1 s song ends inside a block: its last samples and the next
    // song's first share that block.
    const std::string first = fixture("joint-128.mp3");
    const std::string second = fixture("stereo-128.mp3");
    std::vector<std::uint8_t> expected;
    for (int round = 0; round < 2; ++round)
        for (const auto& song : {first, second}) {
            auto pcm = decodeWholeSong(song, true, true);
            ASSERT_EQ(pcm.size(), 44100u * 4);
            expected.insert(expected.end(), pcm.begin(), pcm.end());
        }
    device.setFlowing(true);
    player->startPlayerThread(list({first, second}));
    std::size_t whole = expected.size() / 16384 * 16384;
    ASSERT_TRUE(waitUntil([&] { return device.played().size() >= whole; }));
    EXPECT_EQ(device.resets(), 0);
    player->stopPlayback();
    auto played = device.played();
    for (std::size_t i = 0; i < whole; i += 16384)
        ASSERT_TRUE(std::equal(expected.begin() + static_cast<long>(i), expected.begin() + static_cast<long>(i + 16384),
                               played.begin() + static_cast<long>(i)))
            << "block " << i / 16384;
}

TEST_F(PlayerTest, ASeekWhileTheNextSongIsDecodedAheadIsInTheSongHeard)
{
    // The short song fits the queue whole; the demo song queues behind it,
    // and only the short song is heard when the seek comes.
    const std::string shortSong = fixture("joint-128.mp3");
    player->startPlayerThread(list({shortSong, demoSong}));
    waitForFullQueue();
    EXPECT_EQ(readouts.titles(), std::vector<std::string>{shortSong});
    EXPECT_EQ(player->audible().lengthSeconds, 1);
    EXPECT_EQ(engine().decodedSongSeconds(), 28);

    player->requestSeek(0.5f);
    waitForReset(1);
    waitForReadouts();
    // The short song is opened again at its middle; the demo song's queued
    // start was dropped, unheard.
    EXPECT_EQ(player->audible().path, shortSong);
    EXPECT_EQ(player->audible().lengthSeconds, 1);
    EXPECT_EQ(heardFrame(), 22050u);
    EXPECT_EQ(readouts.titles(), std::vector<std::string>{shortSong});
    EXPECT_EQ(device.writesAtLastReset(), 64);
    // The rest of the short song, its clock within its length, then the
    // demo song from its start.
    waitForFullQueue();
    int blocks = 0;
    for (; blocks < 8 && player->audible().path == shortSong; ++blocks) {
        EXPECT_LE(player->audible().positionSeconds, 1);
        ASSERT_EQ(device.complete(1), 1);
    }
    EXPECT_EQ(player->audible().path, demoSong);
    EXPECT_GE(blocks, 5);
    EXPECT_LE(blocks, 6);
    EXPECT_LT(heardFrame(), 4096u);
}

TEST_F(PlayerTest, NextAndPreviousGoOnFromTheSongHeardNotTheOneDecodedAhead)
{
    // Two 1 s songs and the demo song: the queue holds all of the first two
    // and the demo song's start while the first one is heard.
    const std::string first = fixture("joint-128.mp3");
    const std::string second = fixture("stereo-128.mp3");
    player->startPlayerThread(list({first, second, demoSong}));
    waitForFullQueue();
    EXPECT_EQ(player->audible().path, first);

    player->requestNext(); // the entry after the one heard, not a wrap
    waitForReset(1);
    EXPECT_EQ(player->audible().path, second);
    EXPECT_EQ(heardFrame(), 0u);
    waitForFullQueue();

    player->requestPrevious(); // the second is heard, the demo song decoded
    waitForReset(2);
    EXPECT_EQ(player->audible().path, first);
    waitForFullQueue();

    player->requestPrevious(); // from the first entry to the last
    waitForReset(3);
    EXPECT_EQ(player->audible().path, demoSong);
    waitForReadouts();
    EXPECT_EQ(readouts.titles(), (std::vector<std::string>{first, second, first, demoSong}));
    // Each reset dropped a whole queue, none of it heard.
    EXPECT_EQ(device.writesAtLastReset(), 3 * 64);
    EXPECT_TRUE(device.played().empty());
}

TEST_F(PlayerTest, NextAfterASongEndedByItselfPlaysTheEntryAfterTheOneHeard)
{
    // The first song has played to its end and the second is being decoded,
    // but the end of the first is what is heard: Next plays the second from
    // its start, and the first's end is never heard.
    const std::string first = fixture("joint-128.mp3");
    const std::string second = fixture("stereo-128.mp3");
    player->startPlayerThread(list({first, second, demoSong}));
    waitForFullQueue();
    ASSERT_EQ(device.complete(5), 5);
    EXPECT_EQ(player->audible().path, first);
    player->requestNext();
    waitForReset(1);
    EXPECT_EQ(player->audible().path, second);
    EXPECT_EQ(heardFrame(), 0u);
    EXPECT_EQ(device.played().size(), 5u * 16384u);
}

TEST_F(PlayerTest, ASongWhoseNameBeginsWithAHyphenPlays)
{
    const std::string song = folder.file("-song.mp3");
    std::filesystem::copy_file(fixture("joint-128.mp3"), song);
    player->startPlayerThread(song);
    ASSERT_TRUE(device.waitForWrites(1));
    EXPECT_EQ(engine().playlist().entries(), std::vector<std::string>{song});
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(PlayerTest, ASingleSongStartsAgainWhenItEnds)
{
    device.setFlowing(true);
    player->startPlayerThread(fixture("joint-128.mp3"));
    // The title comes again each time the song is heard from its start.
    waitForTitles(4);
    for (const auto& title : readouts.titles()) EXPECT_EQ(title, fixture("joint-128.mp3"));
    EXPECT_EQ(device.resets(), 0); // songs follow each other without a reset
    player->stopPlayback();
    expectStoppedCleanly();
}

TEST_F(PlayerTest, NextAndPreviousWrapAtBothEnds)
{
    player->startPlayerThread(list(demoNames));
    waitForFullQueue();

    player->requestPrevious(); // from the first entry to the last
    waitForTitles(2);
    waitForReset(1);
    waitForFullQueue();
    player->requestNext(); // from the last entry to the first
    waitForTitles(3);
    waitForReset(2);
    waitForFullQueue();
    player->requestNext();
    waitForTitles(4);

    EXPECT_EQ(readouts.titles(), (std::vector<std::string>{demoNames[0], demoNames[2], demoNames[0], demoNames[1]}));
    waitForReset(3);
    // The reset dropped the 64 queued blocks of the song left; none counted.
    EXPECT_EQ(device.writesAtLastReset(), 3 * 64);
    EXPECT_EQ(heardFrame(), 0u);
    EXPECT_EQ(engine().control().nextRequested.load(), 0);
}

TEST_F(PlayerTest, AfterAStopTheSongShownStaysAtItsStart)
{
    player->startPlayerThread(list(demoNames));
    waitForFullQueue();
    ASSERT_EQ(device.complete(30), 30);
    waitForReadouts();
    EXPECT_EQ(readouts.times().back(), 2);
    player->stopPlayback();
    expectStoppedCleanly();
    EXPECT_EQ(player->audible().path, demoNames[0]);
    EXPECT_EQ(player->audible().positionSeconds, 0);
    EXPECT_EQ(readouts.last().positionSeconds, 0);
    EXPECT_EQ(readouts.times().back(), 0);
    EXPECT_EQ(readouts.titles(), std::vector<std::string>{demoNames[0]});
}

TEST_F(PlayerTest, NextAndPreviousWhileStoppedChooseTheEntryThatPlayStarts)
{
    const std::string given = list(demoNames);
    player->startPlayerThread(given);
    waitForFullQueue();
    player->stopPlayback();
    expectStoppedCleanly();

    player->requestNext();
    EXPECT_EQ(player->audible().path, demoNames[1]);
    EXPECT_EQ(readouts.titles().back(), demoNames[1]);
    EXPECT_EQ(player->audible().lengthSeconds, 0);
    player->requestNext();
    player->requestNext(); // wraps to the first
    EXPECT_EQ(player->audible().path, demoNames[0]);
    player->requestPrevious(); // wraps to the last
    EXPECT_EQ(player->audible().path, demoNames[2]);
    EXPECT_FALSE(running());

    player->startPlayerThread(given, StartAt::chosenEntry);
    waitForFullQueue();
    EXPECT_EQ(player->audible().path, demoNames[2]);
    EXPECT_GT(player->audible().lengthSeconds, 20);
    player->stopPlayback();

    // Without a choice since, a Play starts the list from its first entry.
    player->startPlayerThread(given, StartAt::chosenEntry);
    waitForFullQueue();
    EXPECT_EQ(player->audible().path, demoNames[0]);
}

TEST_F(PlayerTest, ASeekMovesThePositionByTheSongsLength)
{
    player->startPlayerThread(demoSong);
    waitForFullQueue();
    EXPECT_EQ(device.complete(20), 20);
    EXPECT_EQ(player->audible().positionSeconds, 1);

    int seconds = player->audible().lengthSeconds;
    EXPECT_FALSE(player->isSeeking());
    player->requestSeek(0.5f);
    EXPECT_TRUE(player->isSeeking());
    waitForReset(1);
    auto expected = static_cast<std::uint32_t>(std::trunc(seconds * 0.5 * 44100.0));
    EXPECT_EQ(heardFrame(), expected);
    EXPECT_FALSE(player->isSeeking()) << "the new place is heard";
    EXPECT_EQ(player->audible().positionSeconds, static_cast<int>(expected / 44100));
    EXPECT_EQ(engine().control().seekFraction.load(), noSeek);

    waitForFullQueue();
    device.complete(11); // about one second more
    EXPECT_EQ(heardFrame(), expected + 11 * 4096u);
    waitForReadouts();
    EXPECT_EQ(readouts.titles().size(), 1u); // still the same song

    // A seek to the very start plays from the start.
    player->requestSeek(0.0f);
    waitForReset(2);
    EXPECT_EQ(heardFrame(), 0u);
    EXPECT_EQ(player->audible().positionSeconds, 0);
    waitForFullQueue();
    device.complete(11);
    EXPECT_EQ(heardFrame(), 11 * 4096u);
}

TEST_F(PlayerTest, ASeekAskedForAsTheSongStartsShowsItsPlace)
{
    // Mostly made before the song's first frame is taken.
    player->startPlayerThread(demoSong);
    player->requestSeek(0.5f);
    ASSERT_TRUE(device.waitForWrites(1));
    // On a busy machine the thread may have queued a first block before the
    // seek came: then the place shows at the seek's reset. Nothing is played
    // meanwhile, so a place that stays at 0 fails.
    EXPECT_TRUE(waitUntil([&] { return player->audible().positionSeconds == 14; }))
        << player->audible().positionSeconds;
    waitForReadouts();
    EXPECT_EQ(player->audible().path, demoSong);
    EXPECT_EQ(readouts.times().back(), 14);
}

TEST_F(PlayerTest, ANewListHandedOverPlaysFromItsFirstEntry)
{
    // The reset that drops the song before waits until the test has looked:
    // once it is made, the list's first entry is queued, and so heard next,
    // at once.
    std::promise<void> looked;
    std::shared_future<void> lookedAt = looked.get_future().share();
    device.beforeReset = [lookedAt] { lookedAt.wait_for(30s); };
    player->startPlayerThread(demoSong);
    waitForFullQueue();
    std::string handed = list({demoNames[1], demoNames[2]});
    player->takeOverFile(handed);
    // The list's name at once, with no length (an empty seek bar), whatever
    // of the song before still plays; then its first entry, once heard.
    EXPECT_EQ(readouts.titles().back(), handed);
    EXPECT_EQ(player->audible().lengthSeconds, 0);
    EXPECT_EQ(player->audible().lengthMicroseconds, 0);
    device.complete(1); // the song before
    EXPECT_NE(player->audible().path, demoSong);
    looked.set_value();
    waitForReset(1);
    waitForReadouts();
    EXPECT_EQ(readouts.titles(), (std::vector<std::string>{demoSong, handed, demoNames[1]}));
    EXPECT_EQ(player->audible().lengthSeconds, engine().decodedSongSeconds());
    EXPECT_GT(player->audible().lengthSeconds, 0);

    waitForFullQueue();
    player->takeOverFile(demoNames[2]); // a single song
    waitForReset(2);
    waitForReadouts();
    EXPECT_EQ(readouts.titles().back(), demoNames[2]);
    EXPECT_EQ(engine().playlist().entries(), std::vector<std::string>{demoNames[2]});
}

TEST_F(PlayerTest, PausedTheTimeStandsStillAndEveryRequestEndsThePause)
{
    device.setFlowing(true, 2ms);
    player->startPlayerThread(list(demoNames));
    ASSERT_TRUE(waitUntil([&] { return heardFrame() > 5 * 4096u; }));
    player->pause();
    EXPECT_TRUE(device.isPaused());
    std::this_thread::sleep_for(20ms);
    auto frames = heardFrame();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(heardFrame(), frames);

    // A seek ends the pause; the device plays again once the reset has
    // dropped the audio queued before it.
    int seconds = player->audible().lengthSeconds;
    player->requestSeek(0.75f);
    EXPECT_FALSE(player->isPaused());
    waitForReset(1);
    EXPECT_FALSE(device.isPaused());
    EXPECT_EQ(player->audible().positionSeconds, static_cast<int>(seconds * 0.75));

    player->pause();
    player->requestNext();
    EXPECT_FALSE(player->isPaused());
    waitForTitles(2);
    EXPECT_EQ(readouts.titles().back(), demoNames[1]);
    waitForReset(2);
    EXPECT_FALSE(device.isPaused());
    ASSERT_TRUE(waitUntil([&] { return heardFrame() > 0; }));

    player->pause();
    player->takeOverFile(demoNames[2]);
    EXPECT_FALSE(player->isPaused());
    waitForReset(3);
    EXPECT_FALSE(device.isPaused());

    player->pause();
    player->stopPlayback(); // a stop ends the pause too
    expectStoppedCleanly();
    EXPECT_FALSE(player->isPaused());
    // The Pause button was told each change.
    EXPECT_EQ(readouts.pauseLooks(), (std::vector<bool>{true, false, true, false, true, false, true, false}));
}

TEST_F(PlayerTest, APlayerThatEndsWhilePausedIsNoLongerPaused)
{
    // Decoding goes on while paused until the queue is full: the error of
    // the last entry ends the player while paused. Four seconds of songs
    // first (less than the queue holds) keep the thread busy well past the
    // pause, also on a loaded machine.
    std::string junk = folder.write("junk.mp3", std::string(200000, 'x'));
    const std::string song = fixture("joint-128.mp3");
    // The player thread waits at its first song's title until the pause is
    // asked: without that, a window thread kept off the processor could ask
    // it only after the player had ended.
    std::promise<void> paused;
    std::shared_future<void> pauseAsked = paused.get_future().share();
    readouts.beforeShowing = [pauseAsked](const Audible& audible) {
        if (!audible.path.empty()) pauseAsked.wait();
    };
    player->startPlayerThread(list({song, song, song, song, junk}));
    player->pause();
    paused.set_value();
    ASSERT_TRUE(waitUntil([&] { return !running(); }));
    EXPECT_EQ(messages.messages().size(), 1u);
    EXPECT_FALSE(player->isPaused());
    EXPECT_EQ(readouts.pauseLooks(), (std::vector<bool>{true, false}));
    expectStoppedCleanly();
}

TEST_F(PlayerTest, APauseAskedAsThePlayerEndsDoesNotOutlastIt)
{
    player->startPlayerThread(folder.write("junk.mp3", std::string(200000, 'x')));
    ASSERT_TRUE(waitUntil([&] { return !running(); }));
    // As the Pause button does: it saw the player running a moment before.
    player->pause();
    EXPECT_FALSE(player->isPaused());
    EXPECT_TRUE(readouts.pauseLooks().empty());
    expectStoppedCleanly();
}

class RefusedFormat : public PlayerTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(RefusedFormat, StopsThePlayerInTheMiddleOfAList)
{
    device.setFlowing(true);
    std::string refused = fixture(GetParam());
    player->startPlayerThread(list({fixture("joint-128.mp3"), refused, fixture("stereo-128.mp3")}));
    ASSERT_TRUE(waitUntil([&] { return !running(); }));

    auto shown = messages.messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Low Quality MPEG Audio Detected");
    EXPECT_EQ(shown[0].text, "Sonorbox has detected a low quality MPEG Audio file.\n"
                             "Only CD quality sound is supported at the current time.\n"
                             "The minimum recording requirements for Sonorbox are:\n\n"
                             "MPEG 1.0 Layer 3 ( MP1 and MP2 are not supported )\n"
                             "STEREO ( no MONO recordings are accepted )\n"
                             "44100 hz ( this is CD quality )\n\n"
                             "Please select a higher quality recording.\n");
    EXPECT_EQ(shown[0].icon, MessageIcon::information);
    EXPECT_FALSE(shown[0].waited);
    std::string current;
    engine().playlist().getCurrent(current);
    EXPECT_EQ(current, refused); // the list is not advanced
    expectStoppedCleanly();

    // The title line names the refused song, and Next and Prev go on from
    // it as they do when stopped.
    EXPECT_EQ(player->audible().path, refused);
    waitForReadouts();
    EXPECT_EQ(readouts.titles().back(), refused);
    player->requestNext();
    EXPECT_EQ(player->audible().path, fixture("stereo-128.mp3"));
    player->requestPrevious();
    player->requestPrevious();
    EXPECT_EQ(player->audible().path, fixture("joint-128.mp3"));
    EXPECT_EQ(readouts.titles().back(), fixture("joint-128.mp3"));
}

INSTANTIATE_TEST_SUITE_P(PlayerTest, RefusedFormat,
                         ::testing::Values("mono-64.mp3", "mpeg2-64.mp3", "rate48k-128.mp3"));

TEST_F(PlayerTest, TheSongBeforeARefusedOnePlaysToItsEndAndThenTheRefusalIsShown)
{
    // The 1 s song is 10 whole blocks and a partial one: all of it is queued
    // when the next song's first frame is refused.
    auto expected = decodeWholeSong(fixture("joint-128.mp3"), true, true);
    ASSERT_EQ(expected.size(), 44100u * 4);
    player->startPlayerThread(list({fixture("joint-128.mp3"), fixture("mono-64.mp3")}));
    ASSERT_TRUE(device.waitForWrites(11));
    EXPECT_TRUE(running());
    EXPECT_TRUE(messages.messages().empty()); // not before that audio has played
    EXPECT_EQ(device.complete(10), 10);
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_EQ(device.complete(1), 1);
    ASSERT_TRUE(waitUntil([&] { return !running(); }));
    auto shown = messages.messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Low Quality MPEG Audio Detected");
    EXPECT_EQ(device.played(), expected);
    EXPECT_EQ(device.resets(), 1); // the close's, with nothing left to drop
    EXPECT_EQ(device.writesAtLastReset(), 11);
    expectStoppedCleanly();
}

TEST_F(PlayerTest, AStopWhileTheSongBeforeARefusedOnePlaysEndsAtOnceAndStillTells)
{
    player->startPlayerThread(list({fixture("joint-128.mp3"), fixture("rate48k-128.mp3")}));
    ASSERT_TRUE(device.waitForWrites(11));
    player->stopPlayback();
    expectStoppedCleanly();
    EXPECT_TRUE(device.played().empty());
    auto shown = messages.messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Low Quality MPEG Audio Detected");
}

TEST_F(PlayerTest, APassThroughTheListThatGivesNoAudioEndsThePlayerWithOneMessage)
{
    std::string empty = folder.write("empty.mp3", "");
    std::string tagOnly = folder.write("tag-only.mp3", tagbytes::apeTag(tagbytes::corruptFrameItem(), true));
    std::string missing = folder.file("gone-1.mp3");
    for (const std::string& given : {list({missing, folder.file("gone-2.mp3"), empty, tagOnly}), missing, empty}) {
        player->startPlayerThread(given);
        ASSERT_TRUE(waitUntil([&] { return !running(); }, 10s)) << given;
        expectStoppedCleanly();
        auto shown = messages.messages();
        ASSERT_EQ(shown.size(), 1u) << given;
        EXPECT_EQ(shown[0].caption, "Application Error");
        EXPECT_EQ(shown[0].text, "Could not play any song of: " + given);
        EXPECT_EQ(shown[0].icon, MessageIcon::none);
        EXPECT_FALSE(shown[0].waited);
        messages.clear();
    }
    EXPECT_EQ(device.opens(), 0);
}

TEST_F(PlayerTest, AListThatCannotBeReadIsToldInAnErrorBoxWithoutWaiting)
{
    const std::string given = folder.file("nowhere.M3U");
    player->startPlayerThread(given);
    ASSERT_TRUE(waitUntil([&] { return !running(); }, 10s));
    expectStoppedCleanly();
    auto shown = messages.messages();
    ASSERT_GE(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Application Error");
    EXPECT_EQ(shown[0].text, "Could not load playlist: " + given);
    EXPECT_EQ(shown[0].icon, MessageIcon::none);
    EXPECT_FALSE(shown[0].waited);
}

TEST_F(PlayerTest, ASongThatVanishesWhilePlayingEndsThePlayerAfterAllItLeftQueued)
{
    // Its rounds follow each other gaplessly, the last one's partial block
    // included: what the device plays is the song whole, some times over.
    auto expected = decodeWholeSong(fixture("joint-128.mp3"), true, true);
    std::filesystem::copy_file(fixture("joint-128.mp3"), folder.file("song.mp3"));
    const std::string song = folder.file("song.mp3");
    player->startPlayerThread(song);
    ASSERT_TRUE(device.waitForWrites(1));
    std::filesystem::remove(song);
    EXPECT_TRUE(messages.messages().empty());
    device.setFlowing(true);
    ASSERT_TRUE(waitUntil([&] { return !running(); }, 10s));
    auto shown = messages.messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Could not play any song of: " + song);
    auto played = device.played();
    ASSERT_GE(played.size(), expected.size());
    ASSERT_EQ(played.size() % expected.size(), 0u);
    for (std::size_t at = 0; at < played.size(); at += expected.size())
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), played.begin() + static_cast<long>(at))) << at;
    expectStoppedCleanly();
}

TEST_F(PlayerTest, AListHandedOverThatGivesNoAudioIsNamedInTheMessage)
{
    player->startPlayerThread(demoSong);
    waitForFullQueue();
    std::string handed = list({folder.file("gone-1.mp3"), folder.file("gone-2.mp3")});
    player->takeOverFile(handed);
    ASSERT_TRUE(waitUntil([&] { return !running(); }, 10s));
    auto shown = messages.messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Could not play any song of: " + handed);
    expectStoppedCleanly();
}

TEST_F(PlayerTest, ASeekIntoTheLastFrameOfTheOnlySongIsNoPassWithoutAudio)
{
    // The frame sought to leans on main data before it, which a seek skips:
    // it gives no samples. Asked for before anything of the song was heard,
    // the seek is the listener's choice, as a next would be: the song plays
    // on from its start.
    const std::string song = fixture("joint-128.mp3");
    device.setFlowing(true, 1ms);
    player->startPlayerThread(song);
    player->requestSeek(0.999f);
    ASSERT_TRUE(waitUntil([&] { return device.writes() >= 15 || !running(); }));
    EXPECT_TRUE(running());
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(PlayerTest, ASongShorterThanABlockPlaysOnAndOn)
{
    // Its partial block goes on with its next round, so every round counts
    // as audio though no block is handed over in it.
    std::ifstream in(fixture("joint-128.mp3"), std::ios::binary);
    std::string song((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string tiny = folder.write("tiny.mp3", song.substr(0, 6 * 418));
    ASSERT_LT(decodeWholeSong(tiny, true, true).size(), 16384u);
    device.setFlowing(true);
    player->startPlayerThread(tiny);
    ASSERT_TRUE(device.waitForWrites(3));
    EXPECT_TRUE(running());
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(PlayerTest, AStopEndsThePlayerWhileItReadsAHostileList)
{
    // 60 MiB of comment lines, then lists that would multiply to ten million
    // entries: read to the end, the list would end with "Playlist too
    // large", after a good part of a second.
    auto listName = [](int number) { return std::string("f").append(std::to_string(number)).append(".m3u"); };
    for (int i = 1; i < 6; ++i) {
        std::string names;
        for (int j = 0; j < 10; ++j) names.append(listName(i + 1)).append("\n");
        folder.write(listName(i), names);
    }
    folder.write("f6.m3u", "a.mp3\nb.mp3\nc.mp3\nd.mp3\ne.mp3\nf.mp3\ng.mp3\nh.mp3\ni.mp3\nj.mp3\n");
    std::string hostile = folder.file("hostile.m3u");
    {
        std::ofstream file(hostile, std::ios::binary);
        std::string comments(1 << 20, '#');
        for (std::size_t i = 1; i < comments.size(); i += 2) comments[i] = '\n';
        for (int i = 0; i < 60; ++i) file << comments;
        file << "f1.m3u\n";
    }

    player->startPlayerThread(hostile);
    auto stopping = std::async(std::launch::async, [&] { player->stopPlayback(); });
    ASSERT_EQ(stopping.wait_for(10s), std::future_status::ready);
    expectStoppedCleanly();
    EXPECT_EQ(device.opens(), 0);
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(PlayerTest, AFifoOrAFolderInTheListIsPassedOverAtOnce)
{
    std::string fifo = folder.file("fifo.mp3");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    device.setFlowing(true);
    player->startPlayerThread(list({fifo, folder.path(), fixture("joint-128.mp3")}));
    bool played = waitUntil([&] { return device.writes() > 0; }, 10s);
    if (!played) {
        // Lets an opening blocked on the FIFO return, so the test ends.
        int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) ::close(writer);
    }
    EXPECT_TRUE(played);
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(PlayerTest, ASongEndingInAnApeTagHoldingAFrameHeaderPlaysOnToTheNext)
{
    std::ifstream in(fixture("joint-128.mp3"), std::ios::binary);
    std::string song((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string tagged = folder.write("tagged.mp3", song + tagbytes::apeTag(tagbytes::corruptFrameItem(), true));
    device.setFlowing(true);
    player->startPlayerThread(list({tagged, fixture("stereo-128.mp3")}));
    waitForTitles(2);
    EXPECT_TRUE(running());
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(PlayerTest, AFileWithCheckWordsPlaysAsTheDecoderDecodesIt)
{
    auto expected = decodeWholeSong(fixture("crc-128.mp3"), true);
    ASSERT_GT(expected.size(), 8u * 16384u);
    device.setFlowing(true);
    player->startPlayerThread(fixture("crc-128.mp3"));
    // The partly filled last block is dropped when a song ends by itself.
    std::size_t wholeBlocks = expected.size() / 16384 * 16384;
    ASSERT_TRUE(waitUntil([&] { return device.played().size() >= wholeBlocks; }));
    player->stopPlayback();
    auto played = device.played();
    EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + static_cast<long>(wholeBlocks), played.begin()));
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(PlayerTest, ADamagedFrameCostsThatFrameAndTheListPlaysOn)
{
    std::ifstream in(fixture("joint-128.mp3"), std::ios::binary);
    std::vector<std::uint8_t> song((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    streamtest::damageSideInformation(song, streamtest::frameOffsets(song)[20]);
    std::string damaged = folder.write("damaged.mp3", std::string(song.begin(), song.end()));
    device.setFlowing(true);
    player->startPlayerThread(list({damaged, fixture("stereo-128.mp3")}));
    waitForTitles(2);
    EXPECT_TRUE(running());
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(PlayerTest, JunkFullOfHeaderWordsAfterASongNeitherPlaysNorStopsTheList)
{
    const std::string song = fixture("joint-128.mp3");
    std::ifstream in(song, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::vector<std::uint8_t> junk = streamtest::headerLikeJunk(40000, 300);
    std::string torn = folder.write("torn.mp3", bytes + std::string(junk.begin(), junk.end()));
    const auto expected = decodeWholeSong(song, true);
    device.setFlowing(true);
    player->startPlayerThread(list({torn, fixture("stereo-128.mp3")}));
    waitForTitles(2);
    EXPECT_TRUE(running());
    EXPECT_TRUE(messages.messages().empty());
    // The torn song sounds as the whole one does: the blocks it handed on
    // before the next song's samples joined its last block.
    const std::size_t wholeBlocks = expected.size() / 16384 * 16384;
    ASSERT_TRUE(waitUntil([&] { return device.played().size() >= wholeBlocks; }));
    auto played = device.played();
    EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + static_cast<long>(wholeBlocks), played.begin()));
}

TEST_F(PlayerTest, TheBitrateReadoutOfAVariableBitrateSongIsItsAverage)
{
    const std::string song = fixture("varied-v2.mp3");
    mp3::Decoder decoder;
    decoder.openSong(song.c_str());
    mp3::FrameHeader header;
    ASSERT_EQ(decoder.nextFrame(header), mp3::FrameRead::frame);
    const int average = decoder.streamBitrateKbps(header);
    decoder.closeSong();
    ASSERT_NE(average, mp3::bitrateKbps(header));

    player->startPlayerThread(song);
    ASSERT_TRUE(waitUntil([&] { return !readouts.bitrates().empty(); }));
    // The one song of the list may have begun again by the time it is read:
    // every start shows the same average.
    for (int shown : readouts.bitrates()) EXPECT_EQ(shown, average);
}

class NotAnMp3File : public PlayerTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(NotAnMp3File, IsTheDecodersVerdictNotARefusalOfItsFormat)
{
    std::string notSong = folder.write("not-a-song.mp3", GetParam());
    device.setFlowing(true);
    player->startPlayerThread(list({fixture("joint-128.mp3"), notSong}));
    ASSERT_TRUE(waitUntil([&] { return !running(); }));
    auto shown = messages.messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Application Exception");
    EXPECT_EQ(shown[0].text, "Not a valid MP3 file");
    expectStoppedCleanly();
}

// A WAV file, its samples full of words that look like headers of some
// MPEG format, and a text.
INSTANTIATE_TEST_SUITE_P(PlayerTest, NotAnMp3File,
                         ::testing::Values(streamtest::wavFile(12000),
                                           std::string("Dear listener,\nthis is a letter.\n")),
                         [](const auto& info) { return std::string(info.index == 0 ? "WavFile" : "Text"); });

TEST_F(PlayerTest, AnErrorIsShownAndThePlayerCleansUp)
{
    std::string junk = folder.write("junk.mp3", std::string(200000, 'x'));
    device.setFlowing(true);
    player->startPlayerThread(list({fixture("joint-128.mp3"), junk}));
    ASSERT_TRUE(waitUntil([&] { return !running(); }));
    auto shown = messages.messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Application Exception");
    EXPECT_EQ(shown[0].text, "Not a valid MP3 file");
    EXPECT_EQ(shown[0].icon, MessageIcon::error);
    EXPECT_EQ(device.opens(), 1);
    expectStoppedCleanly();
}

TEST_F(PlayerTest, ADeviceThatCannotOpenEndsThePlayer)
{
    device.setDeviceCount(0);
    player->startPlayerThread(demoSong);
    ASSERT_TRUE(waitUntil([&] { return !running(); }));
    auto shown = messages.messages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "No Audio Devices Found");
    EXPECT_EQ(shown[1].caption, "Application Exception");
    EXPECT_EQ(shown[1].text, "Cannot open audio device. It may be in use.");
    EXPECT_EQ(engine().control().stopRequested.load(), 0);
}

TEST_F(PlayerTest, AStartRightAfterAnotherStopsTheFirstPlayer)
{
    player->startPlayerThread(demoNames[0]);
    player->startPlayerThread(demoNames[1]);
    player->stopPlayback(); // made before the new thread may have begun
    expectStoppedCleanly();
    EXPECT_LE(device.opens(), 2);
}

TEST_F(PlayerTest, TheNextSongIsHeardWithTheBlockThatHoldsItsFirstSample)
{
    // The demo song ends inside a block: that block holds the short song's
    // first sample, and with it title, length and time change.
    const std::string second = fixture("joint-128.mp3");
    const auto demoFrames = static_cast<std::uint32_t>(decodeWholeSong(demoSong, true, true).size() / 4);
    const std::uint32_t changeBlock = demoFrames / 4096;
    ASSERT_NE(demoFrames % 4096, 0u);
    player->startPlayerThread(list({demoSong, second}));
    for (std::uint32_t i = 0; i < changeBlock; ++i) {
        ASSERT_TRUE(device.waitForQueued(1));
        ASSERT_EQ(device.complete(1), 1);
    }
    Audible before = player->audible();
    EXPECT_EQ(before.path, demoSong);
    EXPECT_EQ(before.positionSeconds, static_cast<int>(changeBlock * 4096 / 44100));
    EXPECT_EQ(before.lengthSeconds, 28);
    // The exact length: the song's samples, not its whole seconds.
    EXPECT_EQ(before.lengthMicroseconds, std::llround(demoFrames * 1e6 / 44100));
    waitForReadouts();
    EXPECT_EQ(readouts.titles(), std::vector<std::string>{demoSong});
    EXPECT_EQ(readouts.times().back(), 27);

    ASSERT_TRUE(device.waitForQueued(1));
    ASSERT_EQ(device.complete(1), 1);
    Audible after = player->audible();
    EXPECT_EQ(after.path, second);
    EXPECT_EQ(after.lengthSeconds, 1);
    EXPECT_EQ(after.lengthMicroseconds, 1'000'000); // 44100 samples
    EXPECT_EQ(after.positionSeconds, 0);
    EXPECT_EQ(heardFrame(), (changeBlock + 1) * 4096 - demoFrames);
    waitForReadouts();
    EXPECT_EQ(readouts.titles(), (std::vector<std::string>{demoSong, second}));
    EXPECT_EQ(readouts.times().back(), 0);
    EXPECT_EQ(device.resets(), 0);
}

TEST_F(PlayerTest, ASeekAndAHandOverWhilePausedAreShownAtOnce)
{
    device.setFlowing(true, 2ms);
    player->startPlayerThread(demoSong);
    ASSERT_TRUE(waitUntil([&] { return heardFrame() > 3 * 4096u; }));
    player->pause();
    waitForReadouts();

    // The seek ends the pause; its place is heard from the reset on, before
    // any block of it has played.
    const int seconds = player->audible().lengthSeconds;
    player->requestSeek(0.5f);
    waitForReset(1);
    waitForReadouts();
    EXPECT_EQ(player->audible().positionSeconds, seconds / 2);
    EXPECT_EQ(readouts.times().back(), seconds / 2);
    EXPECT_EQ(readouts.titles(), std::vector<std::string>{demoSong});

    // Paused again, a list handed over shows its name at once, and its first
    // song from the reset on.
    device.setFlowing(false);
    player->pause();
    std::string handed = list({demoNames[1]});
    player->takeOverFile(handed);
    EXPECT_EQ(readouts.titles().back(), handed);
    EXPECT_EQ(readouts.last().lengthSeconds, 0);
    waitForReset(2);
    waitForReadouts();
    EXPECT_EQ(readouts.titles().back(), demoNames[1]);
    EXPECT_EQ(player->audible().positionSeconds, 0);
    EXPECT_FALSE(player->isPaused());
    EXPECT_EQ(readouts.pauseLooks(), (std::vector<bool>{true, false, true, false}));
}

TEST_F(PlayerTest, RequestsFromTheWindowThreadWhileTheDeviceRunsAtFullSpeed)
{
    // For the thread checker: every shared value is met from three threads
    // at once. Afterwards the player still ends cleanly.
    const std::vector<std::string> songs = {fixture("joint-128.mp3"), fixture("stereo-128.mp3")};
    device.setFlowing(true);
    player->startPlayerThread(list(songs));
    std::mt19937 random(7);
    // A number of requests, not a span of time: under the thread checker on
    // a busy machine each request may take many milliseconds. The time limit
    // only bounds a hang.
    constexpr int wanted = 150;
    const auto limit = std::chrono::steady_clock::now() + 90s;
    int requests = 0;
    while (requests < wanted && std::chrono::steady_clock::now() < limit) {
        switch (random() % 7) {
        case 0:
            player->requestNext();
            break;
        case 1:
            player->requestPrevious();
            break;
        case 2:
            player->requestSeek(static_cast<float>(random() % 100) / 100.0f);
            break;
        case 3:
            player->pause();
            break;
        case 4:
            player->resume();
            break;
        case 5:
            player->takeOverFile(random() % 2 ? songs[random() % 2] : list(songs));
            break;
        default:
            break;
        }
        const Audible heard = player->audible();
        EXPECT_LE(heard.positionSeconds, heard.lengthSeconds + 1) << heard.path;
        ++requests;
        // Requests at uneven spacing, so they meet the callback and the
        // player thread at every stage of their work.
        for (unsigned turns = random() % 64; turns > 0; --turns) std::this_thread::yield();
    }
    EXPECT_EQ(requests, wanted);
    for (const auto& shown : messages.messages()) ADD_FAILURE() << shown.caption << ": " << shown.text;
    EXPECT_TRUE(running());
    player->stopPlayback();
    expectStoppedCleanly();
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(PlayerTest, ASeekIntoTheSongHeardWhileTheNextIsDecodedSoundsFromItsPlace)
{
    // A 10 s song heard 5 s in: its end and the next song's start are
    // queued. A seek to 0.8 plays it from 8 s on.
    const std::string first = fixture("list-a.mp3");
    const auto expected = decodeWholeSong(first, true, true);
    player->startPlayerThread(list({first, fixture("list-b.mp3")}));
    for (int i = 0; i < 54; ++i) {
        ASSERT_TRUE(device.waitForQueued(1));
        ASSERT_EQ(device.complete(1), 1);
    }
    waitForFullQueue();
    ASSERT_NE(engine().decodedSongSeconds(), 0);
    ASSERT_EQ(player->audible().path, first);
    player->requestSeek(0.8f);
    waitForReset(1);
    EXPECT_EQ(player->audible().path, first);
    EXPECT_EQ(player->audible().positionSeconds, 8);
    const std::size_t before = device.played().size();
    waitForFullQueue();
    ASSERT_EQ(device.complete(6), 6);
    const auto played = device.played();
    // A tenth of a second in, the decoder's history no longer tells that
    // it was moved: the samples are the song's own, near 8 s, not the next
    // song's.
    const std::vector<std::uint8_t> heard(played.begin() + static_cast<long>(before) + 4410 * 4,
                                          played.begin() + static_cast<long>(before) + 4410 * 4 + 16384);
    const auto at = std::search(expected.begin(), expected.end(), heard.begin(), heard.end());
    ASSERT_NE(at, expected.end());
    const double seconds = static_cast<double>(at - expected.begin()) / 4 / 44100 - 0.1;
    // Without a table of contents the stream is entered by its frame size,
    // which lands a few frames later in a stream of small frames.
    EXPECT_NEAR(seconds, 8.3, 0.4);
}
