// One running player per user and display: the claim, the hand-off of a path, and what a
// crashed player leaves behind.
#include <gtest/gtest.h>

#include <QLocalServer>
#include <atomic>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "Platform.h"
#include "SingleInstance.h"
#include "ShellTestSupport.h"

namespace {

QString folderOf(const TempFolder& folder)
{
    return QString::fromStdString(folder.path());
}

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
    SingleInstance second(folderOf(folder), QString(), std::chrono::milliseconds(300));
    EXPECT_FALSE(second.claim());
    EXPECT_FALSE(second.handOver("/music/a.mp3"));
}

TEST(SingleInstance, EachDisplayHasItsOwnPlayer)
{
    TempFolder folder;
    SingleInstance first(folderOf(folder), ":0");
    SingleInstance other(folderOf(folder), ":1");
    SingleInstance remote(folderOf(folder), "host:0");
    SingleInstance wayland(folderOf(folder), "wayland-0");
    EXPECT_TRUE(first.claim());
    EXPECT_TRUE(other.claim());
    EXPECT_TRUE(remote.claim());
    EXPECT_TRUE(wayland.claim());
    SingleInstance again(folderOf(folder), ":0");
    EXPECT_FALSE(again.claim());
}

TEST(SingleInstance, AnyDisplayTextMakesARendezvous)
{
    TempFolder folder;
    for (const QString& display : {QStringLiteral("/run/user/1000/wayland-1"), QString(300, QLatin1Char('x')),
                                   QStringLiteral("\u00e9cran \u2603 / .. %")}) {
        SingleInstance running(folderOf(folder), display);
        ASSERT_TRUE(running.claim()) << display.toStdString();
        EXPECT_TRUE(running.listen([](const std::string&) {})) << display.toStdString();
        // The second start on a thread of its own: the running player
        // answers from this thread's event loop.
        std::atomic<int> handed{-1};
        std::thread second([&] {
            SingleInstance other(folderOf(folder), display);
            handed = !other.claim() && other.handOver("/music/a.mp3") ? 1 : 0;
        });
        EXPECT_TRUE(processUntil([&] { return handed.load() != -1; }));
        second.join();
        EXPECT_EQ(handed.load(), 1) << display.toStdString();
    }
}

TEST(X11Display, IsOneTextForEverySpellingOfOneDisplay)
{
    using platform::x11DisplayName;
    EXPECT_EQ(x11DisplayName(":0"), ":0");
    EXPECT_EQ(x11DisplayName(":0.0"), ":0");
    EXPECT_EQ(x11DisplayName(":0.1"), ":0");
    EXPECT_EQ(x11DisplayName("unix:0.0"), ":0");
    EXPECT_EQ(x11DisplayName(":00"), ":0");
    EXPECT_EQ(x11DisplayName("localhost:10.0"), "localhost:10");
    EXPECT_EQ(x11DisplayName("[::1]:2.0"), "[::1]:2");
    EXPECT_NE(x11DisplayName(":1"), x11DisplayName(":0"));
    EXPECT_NE(x11DisplayName("host:0"), x11DisplayName(":0"));
    // Not an X11 display: as it is.
    EXPECT_EQ(x11DisplayName("nothing"), "nothing");
    EXPECT_EQ(x11DisplayName("host:x"), "host:x");
}
