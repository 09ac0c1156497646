// One running player per user and display: the claim, the hand-off of a path, what a
// crashed player leaves behind, and clients that connect and say nothing.
#include <gtest/gtest.h>

#include <QFile>
#include <QLocalServer>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <atomic>
#include <fstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "HandOff.h"
#include "Desktop.h"
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
        bool handed = !other.claim() && other.handOver(path) == SingleInstance::Answer::taken;
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
    EXPECT_EQ(second.handOver("/music/a.mp3"), SingleInstance::Answer::notAnswered);
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
            handed = !other.claim() && other.handOver("/music/a.mp3") == SingleInstance::Answer::taken ? 1 : 0;
        });
        EXPECT_TRUE(processUntil([&] { return handed.load() != -1; }));
        second.join();
        EXPECT_EQ(handed.load(), 1) << display.toStdString();
    }
}

namespace {

// A client that connects to the socket at path and sends nothing; -1 when
// it could not connect. While the listener's queue is full, this thread's
// event loop lets the listener take what waits.
int idleClient(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), std::min<std::size_t>(name.size(), sizeof address.sun_path - 1));
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (::connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return descriptor;
        const bool full = errno == EAGAIN;
        ::close(descriptor);
        if (!full) return -1;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return -1;
}

// Whether the other end has closed the connection (a read finds its end).
bool closedByPeer(int descriptor)
{
    char byte = 0;
    const ssize_t got = ::recv(descriptor, &byte, 1, MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

// A second start's hand-over of path on a thread of its own, while this
// thread's event loop lets the running player answer.
SingleInstance::Answer handOverFromAnotherThread(const TempFolder& folder, const std::string& path)
{
    std::atomic<int> answer{-1};
    std::thread second([&] {
        SingleInstance other(folderOf(folder), QString(), std::chrono::seconds(20));
        answer = other.claim() ? -2 : int(other.handOver(path));
    });
    processUntil([&] { return answer.load() != -1; }, std::chrono::seconds(60));
    second.join();
    return SingleInstance::Answer(answer.load());
}

} // namespace

TEST(SingleInstance, ManyIdleClientsNeitherStopTheListeningNorHoldMoreThanAFewFiles)
{
    TempFolder folder;
    SingleInstance running(folderOf(folder));
    ASSERT_TRUE(running.claim());
    std::vector<std::string> taken;
    ASSERT_TRUE(running.listen([&](const std::string& path) { taken.push_back(path); }));

    // More than a player's 1024 files: each is let in, and the oldest silent ones go.
    std::vector<int> idle;
    for (int i = 0; i < 1500; ++i) {
        const int client = idleClient(running.socketPath());
        ASSERT_GE(client, 0) << "connection " << i << " was refused";
        idle.push_back(client);
    }
    const auto stillOpen = [&] {
        return std::count_if(idle.begin(), idle.end(), [](int client) { return !closedByPeer(client); });
    };
    EXPECT_TRUE(processUntil([&] { return std::size_t(stillOpen()) <= SingleInstance::mostOpenConnections; },
                             std::chrono::seconds(30)))
        << stillOpen() << " idle connections still open";

    EXPECT_EQ(handOverFromAnotherThread(folder, "/music/after the crowd.mp3"), SingleInstance::Answer::taken);
    EXPECT_EQ(taken, std::vector<std::string>{"/music/after the crowd.mp3"});
    for (const int client : idle) ::close(client);
}

TEST(SingleInstance, AClientThatStaysSilentIsLetGo)
{
    TempFolder folder;
    SingleInstance running(folderOf(folder));
    ASSERT_TRUE(running.claim());
    ASSERT_TRUE(running.listen([](const std::string&) {}));
    const int client = idleClient(running.socketPath());
    ASSERT_GE(client, 0);
    // Half a message, then nothing.
    ASSERT_EQ(::send(client, "\0\0", 2, MSG_NOSIGNAL), 2);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(processUntil([&] { return closedByPeer(client); }, std::chrono::seconds(60)));
    // The toolkit's timers may fire a twentieth early.
    EXPECT_GE(std::chrono::steady_clock::now() - start, SingleInstance::longestSilence * 9 / 10)
        << "let go before its time";
    ::close(client);
}

TEST(SingleInstance, APathBeyondThePlatformsLimitIsRefusedUnread)
{
    TempFolder folder;
    SingleInstance running(folderOf(folder));
    ASSERT_TRUE(running.claim());
    std::vector<std::string> taken;
    ASSERT_TRUE(running.listen([&](const std::string& path) { taken.push_back(path); }));
    EXPECT_EQ(handOverFromAnotherThread(folder, "/" + std::string(handoff::maxPathBytes, 'x')),
              SingleInstance::Answer::notAnswered);
    EXPECT_TRUE(taken.empty());
    const std::string longest = "/" + std::string(handoff::maxPathBytes - 1, 'x');
    EXPECT_EQ(handOverFromAnotherThread(folder, longest), SingleInstance::Answer::taken);
    EXPECT_EQ(taken, std::vector<std::string>{longest});
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
