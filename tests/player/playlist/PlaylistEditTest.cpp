#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "Playlist.h"
#include "RecordedNotices.h"

namespace {

using Entries = std::vector<std::string>;

struct PlaylistEdit : ::testing::Test {
    RecordedNotices notices;
    Playlist list{notices.notice()};

    void fill(const Entries& paths)
    {
        for (const auto& path : paths) list.append(path);
    }
    std::string current() const
    {
        std::string path;
        return list.getCurrent(path) ? path : "(none)";
    }
    int idOf(int index) const { return list.idAt(index); }
};

} // namespace

TEST_F(PlaylistEdit, InsertRemoveAndMoveKeepTheCurrentEntryAndChangeTheVersion)
{
    fill({"a", "b", "c", "d"});
    list.moveTo(1);
    const int b = list.currentId();
    std::uint64_t version = list.version();

    list.insertAll(0, {"x", "y"});
    EXPECT_EQ(list.entries(), (Entries{"x", "y", "a", "b", "c", "d"}));
    EXPECT_EQ(current(), "b");
    EXPECT_GT(list.version(), version);
    version = list.version();

    list.insertAll(99, {"z"}); // past the end: appended
    EXPECT_EQ(list.entries().back(), "z");
    EXPECT_GT(list.version(), version);
    version = list.version();

    // b and d go before x, in their order; b stays current under its id.
    list.move({5, 3, 3, 42}, 0);
    EXPECT_EQ(list.entries(), (Entries{"b", "d", "x", "y", "a", "c", "z"}));
    EXPECT_EQ(list.currentId(), b);
    EXPECT_EQ(list.currentIndex(), 0);
    EXPECT_GT(list.version(), version);
    version = list.version();

    // To the end, and before an entry that moves itself: the next that stays.
    list.move({0}, 100);
    EXPECT_EQ(list.entries(), (Entries{"d", "x", "y", "a", "c", "z", "b"}));
    list.move({1, 2}, 1);
    EXPECT_EQ(list.entries(), (Entries{"d", "x", "y", "a", "c", "z", "b"}));

    const Playlist::Removal removal = list.remove({0, 3, -1, 50}, -1, true);
    EXPECT_FALSE(removal.heardRemoved);
    EXPECT_EQ(list.entries(), (Entries{"x", "y", "c", "z", "b"}));
    EXPECT_EQ(current(), "b");
    EXPECT_GT(list.version(), version);
    EXPECT_TRUE(notices.texts().empty());
}

TEST_F(PlaylistEdit, RemovingTheHeardEntryNamesTheOneThatFollowsIt)
{
    fill({"a", "b", "c", "d"});
    const int b = idOf(1);
    const int d = idOf(3);
    Playlist::Removal removal = list.remove({1, 2}, b, true);
    EXPECT_TRUE(removal.heardRemoved);
    EXPECT_EQ(removal.followerId, d);

    // The last entry heard: the first follows it, unless the walk ends there.
    removal = list.remove({1}, d, false);
    EXPECT_TRUE(removal.heardRemoved);
    EXPECT_EQ(removal.followerId, -1);
    const int a = idOf(0);
    list.append("e");
    removal = list.remove({1}, idOf(1), true);
    EXPECT_EQ(removal.followerId, a);

    // A removed current entry leaves its place to the one after it.
    list.insertAll(1, {"f", "g"});
    list.moveTo(1);
    list.remove({1}, -1, true);
    EXPECT_EQ(current(), "g");
    removal = list.remove({0, 1}, a, true);
    EXPECT_TRUE(removal.heardRemoved);
    EXPECT_EQ(removal.followerId, -1);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.currentId(), -1);
}

TEST_F(PlaylistEdit, AWalkWithoutWrapEndsAtTheLastEntryAndIdsStayWithTheirEntries)
{
    fill({"a", "b", "c"});
    const int c = idOf(2);
    EXPECT_TRUE(list.step(idOf(0), true, false));
    EXPECT_EQ(current(), "b");
    EXPECT_EQ(list.idAfter(c, false), -1);
    EXPECT_EQ(list.idAfter(c, true), idOf(0));
    EXPECT_TRUE(list.moveToId(c));
    EXPECT_FALSE(list.step(c, true, false));
    EXPECT_EQ(current(), "c");
    EXPECT_TRUE(list.step(c, true, true));
    EXPECT_EQ(current(), "a");
    EXPECT_TRUE(list.step(-1, false, true)); // from the current entry
    EXPECT_EQ(current(), "c");
    list.move({2}, 0);
    EXPECT_EQ(list.idAt(0), c);
    EXPECT_FALSE(list.moveToId(12345));
    EXPECT_EQ(list.snapshot(c).heardIndex, 0);
    EXPECT_EQ(list.snapshot(12345).heardIndex, -1);
}

TEST_F(PlaylistEdit, ShuffleVisitsEveryEntryOncePerRoundAndStepsBackThroughIt)
{
    Entries paths;
    for (int i = 0; i < 12; ++i) paths.push_back("song" + std::to_string(i));
    fill(paths);
    list.moveTo(4);
    list.setShuffled(true);
    EXPECT_TRUE(list.shuffled());
    for (int round = 0; round < 3; ++round) {
        std::vector<std::string> heard{current()};
        for (int i = 1; i < 12; ++i) {
            ASSERT_TRUE(list.step(list.currentId(), true, false));
            heard.push_back(current());
        }
        // The round begins where shuffle was turned on.
        if (round == 0) {
            EXPECT_EQ(heard.front(), "song4");
        }
        EXPECT_EQ(std::set<std::string>(heard.begin(), heard.end()).size(), 12u) << "round " << round;
        EXPECT_FALSE(list.step(list.currentId(), true, false)) << "the round's end";
        // Back through the round, in the order it was heard.
        for (int i = 10; i >= 8; --i) {
            ASSERT_TRUE(list.step(list.currentId(), false, false));
            EXPECT_EQ(current(), heard[static_cast<std::size_t>(i)]);
        }
        for (int i = 8; i < 11; ++i) list.step(list.currentId(), true, false);
        // A new round, which never begins with the entry the last one ended on.
        const std::string last = current();
        ASSERT_TRUE(list.step(list.currentId(), true, true));
        EXPECT_NE(current(), last);
    }

    // Entries added in a round come in its rest: after the current entry.
    std::vector<std::string> heard{current()};
    for (int i = 0; i < 5; ++i) {
        list.step(list.currentId(), true, false);
        heard.push_back(current());
    }
    list.insertAll(0, {"new1", "new2"});
    while (list.step(list.currentId(), true, false)) heard.push_back(current());
    EXPECT_EQ(heard.size(), 14u);
    EXPECT_EQ(std::set<std::string>(heard.begin(), heard.end()).size(), 14u);
    // Entries removed in a round leave its rest.
    list.step(list.currentId(), true, true);
    heard = {current()};
    for (int i = 0; i < 3; ++i) {
        list.step(list.currentId(), true, false);
        heard.push_back(current());
    }
    std::vector<int> unheard;
    const Entries all = list.entries();
    for (std::size_t i = 0; i < all.size() && unheard.size() < 2; ++i)
        if (std::find(heard.begin(), heard.end(), all[i]) == heard.end()) unheard.push_back(static_cast<int>(i));
    list.remove(unheard, -1, true);
    while (list.step(list.currentId(), true, false)) heard.push_back(current());
    EXPECT_EQ(heard.size(), 12u);
    EXPECT_EQ(std::set<std::string>(heard.begin(), heard.end()).size(), 12u);

    // Off again, the list order goes on from the current entry.
    list.moveTo(6);
    list.setShuffled(false);
    list.step(list.currentId(), true, true);
    EXPECT_EQ(list.currentIndex(), 7);
}
