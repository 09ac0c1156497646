#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <thread>

#include "PlayerFixture.h"

using namespace std::chrono_literals;

namespace {

// Two 1 s songs that fit the queue whole.
const std::string first = fixture("joint-128.mp3");
const std::string second = fixture("stereo-128.mp3");

// The requests that edit the list, while the player plays it.
struct PlayerListTest : PlayerFixture {
    std::string heard() { return player->audible().path; }
    bool stopped()
    {
        return waitUntil([&] { return !player->isRunning(); }) && !device.isOpen() &&
               engine().waveOutput().freeBuffers() == 64;
    }
};

} // namespace

TEST_F(PlayerListTest, SeveralPathsPlayAsOneListAndEveryChangeIsTold)
{
    player->startPlayerThread(std::vector<std::string>{first, list({demoNames[1], demoNames[2]})});
    waitForFullQueue();
    ListSnapshot shown = player->listSnapshot();
    EXPECT_EQ(shown.paths, (std::vector<std::string>{first, demoNames[1], demoNames[2]}));
    EXPECT_EQ(shown.heardIndex, 0);
    ASSERT_FALSE(readouts.listVersions().empty());
    EXPECT_EQ(readouts.listVersions().back(), shown.version);

    player->takeOverFiles({demoNames[0], second});
    waitForReset(1);
    EXPECT_TRUE(waitUntil([&] { return heard() == demoNames[0]; }));
    shown = player->listSnapshot();
    EXPECT_EQ(shown.paths, (std::vector<std::string>{demoNames[0], second}));
    EXPECT_EQ(shown.heardIndex, 0);
    EXPECT_EQ(readouts.listVersions().back(), shown.version);
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(PlayerListTest, AddingAndInsertingWhilePlayingInterruptNothingAndTheHeardEntryFollows)
{
    player->startPlayerThread(demoNames[0]);
    waitForFullQueue();
    const std::size_t told = readouts.listVersions().size();
    player->addPaths({demoNames[1]});
    player->insertPaths(0, {demoNames[2], second});
    ListSnapshot shown = player->listSnapshot();
    EXPECT_EQ(shown.paths, (std::vector<std::string>{demoNames[2], second, demoNames[0], demoNames[1]}));
    EXPECT_EQ(shown.heardIndex, 2);
    EXPECT_EQ(readouts.listVersions().size(), told + 2);
    ASSERT_EQ(device.complete(3), 3);
    EXPECT_EQ(device.resets(), 0);
    EXPECT_EQ(heard(), demoNames[0]);
    EXPECT_EQ(readouts.titles(), std::vector<std::string>{demoNames[0]});
    // Next goes on from the heard entry's new place.
    player->requestNext();
    waitForReset(1);
    EXPECT_EQ(heard(), demoNames[1]);
    EXPECT_EQ(player->listSnapshot().heardIndex, 3);
}

TEST_F(PlayerListTest, RemovingTheHeardEntryPlaysTheNextAndAnEmptiedListStops)
{
    player->startPlayerThread(list(demoNames));
    waitForFullQueue();
    player->removeEntries({2}); // another entry: nothing changes for the ear
    EXPECT_EQ(device.resets(), 0);
    player->removeEntries({0});
    waitForReset(1);
    EXPECT_EQ(heard(), demoNames[1]);
    ListSnapshot shown = player->listSnapshot();
    EXPECT_EQ(shown.paths, std::vector<std::string>{demoNames[1]});
    EXPECT_EQ(shown.heardIndex, 0);
    waitForFullQueue();
    player->removeEntries({0});
    EXPECT_TRUE(stopped());
    EXPECT_TRUE(player->listSnapshot().paths.empty());
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(PlayerListTest, MovingEntriesKeepsTheHeardOnePlayingAndItsNumberFollows)
{
    player->startPlayerThread(list(demoNames));
    waitForFullQueue();
    player->moveEntries({0}, 3);
    ListSnapshot shown = player->listSnapshot();
    EXPECT_EQ(shown.paths, (std::vector<std::string>{demoNames[1], demoNames[2], demoNames[0]}));
    EXPECT_EQ(shown.heardIndex, 2);
    ASSERT_EQ(device.complete(2), 2);
    EXPECT_EQ(device.resets(), 0);
    EXPECT_EQ(heard(), demoNames[0]);
    player->requestNext(); // from the last entry to the first
    waitForReset(1);
    EXPECT_EQ(heard(), demoNames[1]);
}

TEST_F(PlayerListTest, ASongDecodedAheadThatNoLongerComesNextIsDroppedAndTheHeardSongGoesOn)
{
    // The 1 s song is queued whole and the demo song's start behind it.
    player->startPlayerThread(list({first, demoNames[0], demoNames[1]}));
    waitForFullQueue();
    ASSERT_EQ(heard(), first);
    player->insertPaths(1, {demoNames[2]});
    waitForReset(1);
    // The short song from where it was heard (its start: nothing of it has
    // played), then the entry now after it.
    EXPECT_EQ(heard(), first);
    EXPECT_EQ(readouts.titles(), std::vector<std::string>{first});
    waitForFullQueue();
    int blocks = 0;
    for (; blocks < 16 && heard() == first; ++blocks) ASSERT_EQ(device.complete(1), 1);
    EXPECT_EQ(heard(), demoNames[2]);
    EXPECT_GE(blocks, 10);

    // Removing the entry decoded ahead drops it the same way.
    player->playEntry(0);
    waitForReset(2);
    waitForFullQueue();
    ASSERT_EQ(heard(), first);
    player->removeEntries({1});
    waitForReset(3);
    waitForFullQueue();
    for (blocks = 0; blocks < 16 && heard() == first; ++blocks) ASSERT_EQ(device.complete(1), 1);
    EXPECT_EQ(heard(), demoNames[0]);
}

TEST_F(PlayerListTest, RepeatOffStopsOnceTheLastSongWasHeardWhole)
{
    std::vector<std::uint8_t> expected = decodeWholeSong(first, true, true);
    const std::vector<std::uint8_t> last = decodeWholeSong(second, true, true);
    expected.insert(expected.end(), last.begin(), last.end());
    player->setRepeat(Repeat::off);
    EXPECT_EQ(player->repeat(), Repeat::off);
    device.setFlowing(true);
    player->startPlayerThread(list({first, second}));
    EXPECT_TRUE(stopped());
    const auto played = device.played();
    ASSERT_GE(played.size(), expected.size());
    EXPECT_LT(played.size(), expected.size() + 16384);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), played.begin()));
    EXPECT_EQ(readouts.titles(), (std::vector<std::string>{first, second}));
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(PlayerListTest, RepeatSongPlaysTheHeardSongAgainWhileNextStillMoves)
{
    player->setRepeat(Repeat::song);
    device.setFlowing(true);
    player->startPlayerThread(list({first, second}));
    ASSERT_TRUE(waitUntil([&] { return readouts.titles().size() >= 3; }));
    player->requestNext();
    // The device runs at full speed, so the second song may be heard again
    // before this thread looks: where it began is read from the record.
    const auto heardThrice = [&] {
        const auto titles = readouts.titles();
        return titles.end() - std::find(titles.begin(), titles.end(), second) >= 3;
    };
    ASSERT_TRUE(waitUntil(heardThrice));
    const auto titles = readouts.titles();
    const auto firstOfSecond = std::find(titles.begin(), titles.end(), second);
    EXPECT_GE(firstOfSecond - titles.begin(), 3);
    for (auto title = titles.begin(); title != titles.end(); ++title)
        EXPECT_EQ(*title, title < firstOfSecond ? first : second) << title - titles.begin();
    EXPECT_EQ(device.resets(), 1);
}

TEST_F(PlayerListTest, ShuffleHearsEveryEntryOnceARoundAndPrevGoesBackThroughWhatWasHeard)
{
    player->setShuffle(true);
    EXPECT_TRUE(player->shuffle());
    player->startPlayerThread(list(demoNames));
    waitForFullQueue();
    std::vector<std::string> order{heard()};
    for (int n = 1; n <= 2; ++n) {
        player->requestNext();
        waitForReset(n);
        waitForFullQueue();
        order.push_back(heard());
    }
    EXPECT_EQ(std::set<std::string>(order.begin(), order.end()).size(), 3u);
    player->requestPrevious();
    waitForReset(3);
    EXPECT_EQ(heard(), order[1]);
    waitForFullQueue();
    // Off, the list order goes on from the entry heard.
    player->setShuffle(false);
    const int at = player->listSnapshot().heardIndex;
    player->requestNext();
    waitForReset(4);
    EXPECT_EQ(heard(), demoNames[static_cast<std::size_t>((at + 1) % 3)]);
}

TEST_F(PlayerListTest, PlayEntryPlaysItWhilePlayingAndStartsTheListAsItStandsWhileStopped)
{
    player->startPlayerThread(list(demoNames));
    waitForFullQueue();
    player->playEntry(2);
    waitForReset(1);
    EXPECT_EQ(heard(), demoNames[2]);
    player->playEntry(7); // no such entry
    player->stopPlayback();
    EXPECT_TRUE(stopped());

    player->addPaths({first});
    player->playEntry(3);
    ASSERT_TRUE(device.waitForQueued(1));
    EXPECT_TRUE(waitUntil([&] { return heard() == first; }));
    EXPECT_EQ(player->listSnapshot().paths.size(), 4u); // not read anew from the file
}

TEST_F(PlayerListTest, StartOnListPlaysTheListAsItStandsFromTheChosenEntryAndNothingWhenEmpty)
{
    EXPECT_FALSE(player->startOnList(StartAt::firstEntry));
    EXPECT_FALSE(player->isRunning());
    // Added while nothing played: the list a start on the list plays.
    player->addPaths({demoNames[0], demoNames[1]});
    ASSERT_TRUE(player->startOnList(StartAt::chosenEntry));
    waitForFullQueue();
    EXPECT_EQ(heard(), demoNames[0]);
    player->stopPlayback();
    EXPECT_TRUE(stopped());

    // An edit while stopped is kept, and Next while stopped chooses where
    // the start on the list begins.
    player->addPaths({demoNames[2]});
    player->requestNext();
    player->requestNext();
    ASSERT_TRUE(player->startOnList(StartAt::chosenEntry));
    waitForFullQueue();
    EXPECT_EQ(heard(), demoNames[2]);
    EXPECT_GT(player->audible().lengthSeconds, 20);
    EXPECT_EQ(player->listSnapshot().paths, (std::vector<std::string>{demoNames[0], demoNames[1], demoNames[2]}));
    // While playing, it starts the list again from its first entry.
    ASSERT_TRUE(player->startOnList(StartAt::chosenEntry));
    EXPECT_TRUE(waitUntil([&] { return heard() == demoNames[0]; }));
    EXPECT_TRUE(player->isRunning());
    player->removeEntries({0, 1, 2});
    EXPECT_TRUE(stopped());
    EXPECT_FALSE(player->startOnList(StartAt::firstEntry));
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(PlayerListTest, AListMadeByAddingAloneThatGivesNoAudioIsNamedByItsFirstPath)
{
    const std::string gone = folder.file("gone-1.mp3");
    player->addPaths({gone, folder.file("gone-2.mp3")});
    ASSERT_TRUE(player->startOnList(StartAt::firstEntry));
    ASSERT_TRUE(stopped());
    const auto shown = messages.messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Could not play any song of: " + gone);
}

TEST_F(PlayerListTest, EditsFromOneThreadAndNextFromAnotherWhileTheDeviceRunsAtFullSpeed)
{
    // For the thread checker: the list is edited, read and walked from four
    // threads at once (the callback's too); afterwards the player ends
    // cleanly.
    device.setFlowing(true);
    player->startPlayerThread(list({first, second, first, second}));
    // The player thread reads the list it starts with before edits reach it.
    ASSERT_TRUE(waitUntil([&] { return player->listSnapshot().paths.size() == 4; }));
    std::atomic<bool> done{false};
    std::atomic<int> nexts{0};
    std::thread presser([&] {
        while (!done.load()) {
            player->requestNext();
            EXPECT_LE(player->listSnapshot().heardIndex, static_cast<int>(player->listSnapshot().paths.size()));
            nexts.fetch_add(1);
            for (int turns = 0; turns < 64; ++turns) std::this_thread::yield();
        }
    });
    std::mt19937 random(11);
    // Numbers of edits and presses, not a span of time: under the thread
    // checker on a busy machine each may take many milliseconds. The time
    // limit only bounds a hang.
    constexpr int wantedEdits = 200;
    constexpr int wantedNexts = 50;
    int edits = 0;
    const auto limit = std::chrono::steady_clock::now() + 90s;
    while ((edits < wantedEdits || nexts.load() < wantedNexts) && std::chrono::steady_clock::now() < limit) {
        const int count = static_cast<int>(player->listSnapshot().paths.size());
        const int index = static_cast<int>(random() % static_cast<unsigned>(count));
        switch (random() % 6) {
        case 0:
            player->addPaths({random() % 2 ? first : second});
            break;
        case 1:
            player->insertPaths(index, {first, second});
            break;
        case 2:
            if (count > 3) player->removeEntries({index});
            break;
        case 3:
            player->moveEntries({index, (index + 1) % count}, static_cast<int>(random() % 8));
            break;
        case 4:
            player->setShuffle(random() % 2 != 0);
            break;
        default:
            player->playEntry(index);
            break;
        }
        ++edits;
        for (unsigned turns = random() % 64; turns > 0; --turns) std::this_thread::yield();
    }
    done.store(true);
    presser.join();
    EXPECT_GE(edits, wantedEdits);
    EXPECT_GE(nexts.load(), wantedNexts);
    for (const auto& shown : messages.messages()) ADD_FAILURE() << shown.caption << ": " << shown.text;
    EXPECT_TRUE(player->isRunning());
    player->stopPlayback();
    EXPECT_TRUE(stopped());
}
