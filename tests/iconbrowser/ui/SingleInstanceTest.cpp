// The hand-over from a second start to the running copy, in one process: the
// second start's side runs on a thread of its own, as it would in its process.
// Also what the running copy does with messages it shows, idle clients and
// paths beyond the platform's limit.
#include "SingleInstance.h"
#include "UiTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QUuid>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <thread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using uitest::waitFor;

class EnterCounter final : public QObject {
public:
    int presses = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return) ++presses;
        return false;
    }
};

QString uniqueName()
{
    return QStringLiteral("glint-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

TEST(SingleInstance, ASecondStartBringsTheRunningCopyForwardWithOneEnter)
{
    QWidget running;
    auto* field = new QLineEdit(&running);
    running.show();
    field->setFocus();
    EnterCounter counter;
    field->installEventFilter(&counter);
    running.showMinimized();

    const QString name = uniqueName();
    QStringList paths;
    glint::SingleInstance instance([&](const QString& path) { paths << path; });
    ASSERT_TRUE(instance.listen(name, &running));
    std::atomic<int> handedOver{-1};
    std::thread second([&] { handedOver = glint::SingleInstance::handOverToRunningCopy(name, {}, 5000) ? 1 : 0; });
    const bool finished = waitFor([&] { return handedOver != -1; });
    second.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(handedOver, 1);
    // Done just after the answer.
    EXPECT_TRUE(waitFor([&] { return counter.presses > 0; }));
    EXPECT_EQ(counter.presses, 1);
    EXPECT_FALSE(running.isMinimized()) << "brought forward";
    EXPECT_TRUE(paths.isEmpty());
}

TEST(SingleInstance, ASecondStartWithAPathHandsItOver)
{
    QWidget running;
    running.showMinimized();
    EnterCounter counter;
    running.installEventFilter(&counter);
    QStringList paths;
    const QString name = uniqueName();
    glint::SingleInstance instance([&](const QString& path) { paths << path; });
    ASSERT_TRUE(instance.listen(name, &running));
    // Any byte of a file name but NUL goes over whole: blanks, a line break, percent signs.
    const QString path = QStringLiteral("/tmp/odd name\n%41 \u00e9.exe");
    std::atomic<int> handedOver{-1};
    std::thread second([&] { handedOver = glint::SingleInstance::handOverToRunningCopy(name, {path}, 5000) ? 1 : 0; });
    const bool finished = waitFor([&] { return handedOver != -1; });
    second.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(handedOver, 1);
    EXPECT_TRUE(waitFor([&] { return !paths.isEmpty(); }));
    EXPECT_EQ(paths, QStringList{path});
    EXPECT_EQ(counter.presses, 0) << "a path is no key press";
    EXPECT_FALSE(running.isMinimized());
}

TEST(SingleInstance, RequestsThatAreNeitherAreRefused)
{
    using glint::HandOver;
    for (const QByteArray& junk : {QByteArray("activate"), QByteArray("open \n"), QByteArray("open /a"),
                                   QByteArray("open /a%00b\n"), QByteArray("OPEN /a\n"), QByteArray("")})
        EXPECT_FALSE(HandOver::fromRequest(junk)) << junk.toStdString();
    ASSERT_TRUE(HandOver::fromRequest("activate\n"));
    EXPECT_TRUE(HandOver::fromRequest("activate\n")->path.isEmpty());
}

TEST(SingleInstance, OneCopyPerDisplay)
{
    using glint::SingleInstance;
    EXPECT_EQ(SingleInstance::displayOf(QStringLiteral("xcb"), QStringLiteral(":0"), {}),
              SingleInstance::displayOf(QStringLiteral("xcb"), QStringLiteral(":0.0"), {}));
    EXPECT_EQ(SingleInstance::displayOf(QStringLiteral("xcb"), QStringLiteral("host:10.1"), {}),
              QStringLiteral("host:10"));
    EXPECT_NE(SingleInstance::displayOf(QStringLiteral("xcb"), QStringLiteral(":0"), {}),
              SingleInstance::displayOf(QStringLiteral("xcb"), QStringLiteral(":1"), {}));
    EXPECT_EQ(SingleInstance::displayOf(QStringLiteral("xcb"), QStringLiteral(":1"), QStringLiteral("wayland-1")),
              QStringLiteral(":1"))
        << "XWayland: the X11 display it connects to";
    EXPECT_EQ(SingleInstance::displayOf(QStringLiteral("wayland"), QStringLiteral(":1"), QStringLiteral("wayland-1")),
              QStringLiteral("wayland-1"));
    EXPECT_EQ(SingleInstance::displayOf(QStringLiteral("wayland"), {}, {}), QStringLiteral("wayland-0"));
    EXPECT_EQ(SingleInstance::displayOf(QStringLiteral("offscreen"), {}, QStringLiteral("wayland-2")),
              QStringLiteral("wayland-2"));
}

TEST(SingleInstance, WithNoRunningCopyTheStartGoesOn)
{
    EXPECT_FALSE(glint::SingleInstance::handOverToRunningCopy(uniqueName(), {}, 1000));
}

TEST(SingleInstance, AServerLeftByACrashedCopyIsReplaced)
{
    const QString name = uniqueName();
    QWidget window;
    {
        glint::SingleInstance first({});
        ASSERT_TRUE(first.listen(name, &window));
    }
    glint::SingleInstance second({});
    EXPECT_TRUE(second.listen(name, &window));
}

// A later start's hand-over on a thread of its own while this thread's event
// loop lets the running copy answer: whether it was answered, and how long
// it took.
struct Handed {
    bool answered = false;
    std::chrono::milliseconds took{0};
};

Handed handOverFromAnotherThread(const QString& name, const glint::HandOver& handOver, int timeoutMs = 30000)
{
    std::atomic<int> result{-1};
    std::atomic<long long> took{0};
    std::thread second([&] {
        QElapsedTimer clock;
        clock.start();
        result = glint::SingleInstance::handOverToRunningCopy(name, handOver, timeoutMs) ? 1 : 0;
        took = clock.elapsed();
    });
    waitFor([&] { return result != -1; }, std::chrono::milliseconds(2 * timeoutMs));
    second.join();
    return {result == 1, std::chrono::milliseconds(took.load())};
}

// A client that connects to the server at path and sends nothing; -1 when it
// could not connect. While the server's queue is full, this thread's event
// loop lets the server take what waits.
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

bool closedByPeer(int descriptor)
{
    char byte = 0;
    const ssize_t got = ::recv(descriptor, &byte, 1, MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

} // namespace

TEST(SingleInstance, AMessageShownForAHandedPathHoldsNeitherTheLaterStartNorTheSocket)
{
    QWidget running;
    running.show();
    const QString name = uniqueName();
    std::atomic<bool> laterStartEnded{false};
    bool endedWhileShown = false;
    int shown = 0;
    // As the window's "... is neither a file nor a folder." box: an event
    // loop of its own, here until the later start has ended.
    glint::SingleInstance instance([&](const QString&) {
        ++shown;
        QEventLoop box;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &box, [&] {
            if (laterStartEnded) box.quit();
        });
        poll.start(10);
        QTimer::singleShot(60000, &box, &QEventLoop::quit);
        box.exec();
        endedWhileShown = laterStartEnded;
    });
    ASSERT_TRUE(instance.listen(name, &running));
    for (int start = 0; start < 3; ++start) {
        laterStartEnded = false;
        std::atomic<int> result{-1};
        std::thread second([&] {
            result = glint::SingleInstance::handOverToRunningCopy(name, {QStringLiteral("/no/such/path")}, 30000);
            laterStartEnded = true;
        });
        EXPECT_TRUE(waitFor([&] { return shown == start + 1 && result != -1; }, std::chrono::seconds(90)));
        second.join();
        EXPECT_EQ(result, 1);
        EXPECT_TRUE(endedWhileShown) << "the later start waited for the box to close";
        // What the box's loop left to do with the socket is done here, and the copy lives on.
        waitFor([] { return false; }, std::chrono::milliseconds(100));
    }
    const Handed after = handOverFromAnotherThread(name, {QStringLiteral("/no/such/path")});
    EXPECT_TRUE(after.answered);
}

TEST(SingleInstance, ManyIdleClientsNeitherStopTheServerNorHoldMoreThanAFewFiles)
{
    QWidget running;
    const QString name = uniqueName();
    QStringList paths;
    glint::SingleInstance instance([&](const QString& path) { paths << path; });
    ASSERT_TRUE(instance.listen(name, &running));
    const QString socketPath = QDir::tempPath() + QLatin1Char('/') + name;

    std::vector<int> idle;
    for (int i = 0; i < 1500; ++i) {
        const int client = idleClient(socketPath);
        ASSERT_GE(client, 0) << "connection " << i << " was refused";
        idle.push_back(client);
    }
    const auto stillOpen = [&] {
        return std::size_t(std::count_if(idle.begin(), idle.end(), [](int client) { return !closedByPeer(client); }));
    };
    EXPECT_TRUE(
        waitFor([&] { return stillOpen() <= glint::SingleInstance::mostOpenConnections; }, std::chrono::seconds(30)))
        << stillOpen() << " idle connections still open";

    const QString path = QStringLiteral("/after/the/crowd.exe");
    EXPECT_TRUE(handOverFromAnotherThread(name, {path}).answered);
    EXPECT_TRUE(waitFor([&] { return !paths.isEmpty(); }));
    EXPECT_EQ(paths, QStringList{path});
    for (const int client : idle) ::close(client);
}

TEST(SingleInstance, AClientThatStaysSilentIsLetGo)
{
    QWidget running;
    const QString name = uniqueName();
    glint::SingleInstance instance([](const QString&) {});
    ASSERT_TRUE(instance.listen(name, &running));
    const int client = idleClient(QDir::tempPath() + QLatin1Char('/') + name);
    ASSERT_GE(client, 0);
    ASSERT_EQ(::send(client, "open /a", 7, MSG_NOSIGNAL), 7); // and never the line's end
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(waitFor([&] { return closedByPeer(client); }, std::chrono::seconds(60)));
    // The toolkit's timers may fire a twentieth early.
    EXPECT_GE(clock.elapsed(), glint::SingleInstance::longestSilence.count() * 9 / 10) << "let go before its time";
    ::close(client);
}

TEST(SingleInstance, APathBeyondThePlatformsLimitIsRefused)
{
    using glint::HandOver;
    EXPECT_EQ(HandOver::longestPath(), PATH_MAX - 1);
    const QString longest = QLatin1Char('/') + QString(PATH_MAX - 2, QLatin1Char('x'));
    const QString tooLong = longest + QLatin1Char('x');
    ASSERT_TRUE(HandOver::fromRequest(HandOver{longest}.request()));
    EXPECT_EQ(HandOver::fromRequest(HandOver{longest}.request())->path, longest);
    EXPECT_FALSE(HandOver::fromRequest(HandOver{tooLong}.request()));
    // Counted in the bytes of the file name: two for each "é".
    const QString wide = QLatin1Char('/') + QString(PATH_MAX / 2, QChar(0xe9));
    EXPECT_FALSE(HandOver::fromRequest(HandOver{wide}.request()));

    const QString huge = QStringLiteral("/pics/") + QString(53, QLatin1Char('a')) + QStringLiteral("\n") +
                         QString(1 << 20, QLatin1Char('b'));
    EXPECT_EQ(HandOver::tooLongText(huge),
              QStringLiteral("the path is too long (%1 bytes, at most %2): \"/pics/%3?...\"")
                  .arg(huge.size())
                  .arg(PATH_MAX - 1)
                  .arg(QString(53, QLatin1Char('a'))));
    EXPECT_EQ(HandOver::tooLongText(QStringLiteral("/a")),
              QStringLiteral("the path is too long (2 bytes, at most %1): \"/a\"").arg(PATH_MAX - 1));
}
