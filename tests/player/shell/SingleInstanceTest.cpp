// One running player per user: the claim, the hand-off of a path, and what a
// crashed player leaves behind.
#include <gtest/gtest.h>

#include <QLocalServer>
#include <atomic>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "SingleInstance.h"
#include "ShellTestSupport.h"

namespace {

QString folderOf(const TempFolder& folder) { return QString::fromStdString(folder.path()); }

} // namespace

TEST(SingleInstance, OfTwoClaimsOnlyTheFirstWins)
{
    TempFolder folder;
    SingleInstance first(folderOf(folder));
    SingleInstance second(folderOf(folder));
    EXPECT_TRUE(first.claim());
    EXPECT_FALSE(second.claim());
}

TEST(SingleInstance, AHandedOverPathReachesTheRunningPlayerWholeBeforeTheSenderGoesOn)
{
    TempFolder folder;
    SingleInstance running(folderOf(folder));
    ASSERT_TRUE(running.claim());
    std::vector<std::string> taken;
    ASSERT_TRUE(running.listen([&](const std::string& path) { taken.push_back(path); }));

    // Far longer than the 255 characters of the platform's atom table.
    const std::string path = "/music/" + std::string(2000, 'x') + " blank é.m3u";
    std::atomic<int> result{-1};
    std::atomic<std::size_t> takenWhenAnswered{0};
    std::thread second([&] {
        SingleInstance other(folderOf(folder));
        bool handed = !other.claim() && other.handOver(path);
        takenWhenAnswered = taken.size();
        result = handed ? 1 : 0;
    });
    ASSERT_TRUE(processUntil([&] { return result.load() != -1; }));
    second.join();
    EXPECT_EQ(result.load(), 1);
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0], path);
    EXPECT_EQ(takenWhenAnswered.load(), 1u);
}

TEST(SingleInstance, ALeftoverSocketFileDoesNotStopTheNextPlayer)
{
    TempFolder folder;
    folder.write("Sonorbox MP3", "left by a crashed player");
    SingleInstance running(folderOf(folder));
    ASSERT_TRUE(running.claim());
    EXPECT_TRUE(running.listen([](const std::string&) {}));
}

TEST(SingleInstance, TheLockOfAPlayerThatDiedIsTakenOver)
{
    TempFolder folder;
    const pid_t child = fork();
    if (child == 0) {
        // A player that claims and dies without cleaning up.
        SingleInstance crashing(folderOf(folder));
        _exit(crashing.claim() ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(std::filesystem::exists(folder.file("Sonorbox MP3.lock")));
    SingleInstance next(folderOf(folder));
    EXPECT_TRUE(next.claim());
}

TEST(SingleInstance, AHandOverThatNobodyTakesFailsAfterThePatience)
{
    TempFolder folder;
    SingleInstance silent(folderOf(folder)); // holds the lock, never listens
    ASSERT_TRUE(silent.claim());
    SingleInstance second(folderOf(folder), std::chrono::milliseconds(300));
    EXPECT_FALSE(second.claim());
    EXPECT_FALSE(second.handOver("/music/a.mp3"));
}
