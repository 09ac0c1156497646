// The real sonorbox under a virtual X server: its window's shape on the
// screen, real clicks on its buttons, what reaches SDL's disk "device", and
// the hand-off between two starts of the program.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <iostream>
#include <map>
#include <thread>

#include "IdleClients.h"
#include "OtherUser.h"
#include "PlayerInstall.h"

namespace {

// The decoder's output for a song, as the player plays it (equaliser on).
Bytes decoded(const std::string& song, const TempFolder& folder)
{
    const std::string out = folder.file("expected.raw");
    EXPECT_TRUE(runTool(DECODE_TOOL, {"--eq", QString::fromStdString(song), QString::fromStdString(out)},
                        std::chrono::seconds(60)));
    return contentOf(out);
}

// Where heard holds the first length bytes of expected, allowing the device's
// silence (zero bytes) between them when the decoder fell behind this fast
// driver; npos when nowhere.
std::size_t findSong(const Bytes& heard, const Bytes& expected, std::size_t length)
{
    auto first = std::find_if(expected.begin(), expected.end(), [](std::uint8_t b) { return b != 0; });
    const std::size_t skip = std::size_t(first - expected.begin());
    if (expected.size() < skip + length) return std::string::npos;
    for (std::size_t start = 0; start + length <= heard.size(); ++start) {
        if (heard[start] != expected[skip] || heard[start + 1] != expected[skip + 1]) continue;
        std::size_t at = start;
        std::size_t i = skip;
        for (; i < skip + length && at < heard.size(); ++i, ++at) {
            while (at < heard.size() && heard[at] != expected[i] && heard[at] == 0) ++at;
            if (at >= heard.size() || heard[at] != expected[i]) break;
        }
        if (i == skip + length) return start;
    }
    return std::string::npos;
}

const char* const windowTitle = "^Sonorbox 0.82a$";

QStringList visiblePlayerWindows(const QString& display = QString())
{
    auto found =
        runTool("xdotool", {"search", "--onlyvisible", "--name", windowTitle}, std::chrono::seconds(10), display);
    return found ? found->split('\n', Qt::SkipEmptyParts) : QStringList();
}

SkinRect skinRect(const char* key)
{
    SkinRect rect;
    parseSkinRect(IniFile(DEFAULT_SKIN "/Skin.ini").read("Coordinates", key).value_or(""), rect);
    return rect;
}

class Program : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!xvfb || !xvfb->isRunning())
            GTEST_SKIP() << "no virtual X server: " << (xvfb ? xvfb->failure().toStdString() : "none started");
        if (!XvfbServer::toolInstalled("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    }
};

} // namespace

// A green window under the player, which counts the presses that reach it.
class Backdrop : public QWidget {
public:
    Backdrop()
    {
        setWindowFlags(Qt::FramelessWindowHint);
        setStyleSheet("background: #00ff00");
        setGeometry(0, 0, 800, 600);
        show();
        EXPECT_TRUE(processUntil([&] { return windowHandle() && windowHandle()->isExposed(); }));
    }
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

// Whether the screen shows the default face at origin (in the screen's own
// pixels), scale screen pixels to a face pixel: its pixels where it is
// opaque, the green backdrop where it is transparent. The areas the player
// writes on are left out.
bool faceShown(const QPoint& origin, int scale, QString& why)
{
    static const QImage face = QImage(DEFAULT_SKIN "/MainUp.bmp").convertToFormat(QImage::Format_RGB32);
    const QRgb transparent = face.pixel(0, 0);
    std::vector<QRect> changing;
    for (const char* key : {"DisplayBar", "SeekBar", "DisplayTime", "DisplayKhz", "DisplayBitrate"}) {
        const SkinRect r = skinRect(key);
        changing.emplace_back(r.x, r.y, r.width, r.height + 4);
    }
    const QImage screen =
        QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < face.height() * scale; ++y)
        for (int x = 0; x < face.width() * scale; ++x) {
            const QPoint facePixel(x / scale, y / scale);
            const QRgb wanted = face.pixel(facePixel);
            const QRgb shown = screen.pixel(origin.x() + x, origin.y() + y);
            const bool written =
                std::any_of(changing.begin(), changing.end(), [&](const QRect& r) { return r.contains(facePixel); });
            const bool right = wanted == transparent ? shown == qRgb(0, 255, 0) : written || shown == wanted;
            if (!right) {
                why = QString("screen pixel %1, %2 shows %3").arg(x).arg(y).arg(shown, 0, 16);
                return false;
            }
        }
    return true;
}

TEST_F(Program, TheWindowIsShapedAsTheFaceAndItsButtonsPlayTheSong)
{
    Backdrop backdrop;
    PlayerInstall install;
    QProcess& player = install.start({DEMO_SONG});
    ASSERT_TRUE(processUntil([] { return visiblePlayerWindows().size() == 1; }));
    QString why;
    EXPECT_TRUE(processUntil([&] { return faceShown(install.origin, 1, why); }, std::chrono::seconds(10)))
        << why.toStdString();

    // A click on a transparent corner pixel reaches the window below.
    ASSERT_TRUE(runTool("xdotool", {"mousemove", QString::number(install.origin.x() + 1),
                                    QString::number(install.origin.y() + 1), "click", "1"}));
    EXPECT_TRUE(processUntil([&] { return backdrop.presses == 1; }));

    ASSERT_TRUE(install.playing(1 << 20));
    install.click(skinRect("Stop"));
    // Stopped: the device is closed and its file grows no more.
    std::uintmax_t last = 0;
    QElapsedTimer still;
    ASSERT_TRUE(processUntil([&] {
        const auto now = sizeOf(install.device);
        if (now != last || !still.isValid()) {
            last = now;
            still.restart();
        }
        return still.elapsed() > 600;
    }));

    install.click(skinRect("Play"));
    // The device opens anew (its file starts again), from the start of the song.
    ASSERT_TRUE(processUntil([&] { return sizeOf(install.device) < last; }));
    ASSERT_TRUE(install.playing(1 << 20));
    const Bytes expected = decoded(DEMO_SONG, install.folder);
    const Bytes heard = contentOf(install.device);
    const std::size_t at = findSong(heard, expected, 512 * 1024);
    ASSERT_NE(at, std::string::npos);
    // Before the song only the device's silence, while the first block was
    // being decoded.
    EXPECT_TRUE(std::all_of(heard.begin(), heard.begin() + std::ptrdiff_t(at), [](std::uint8_t b) { return b == 0; }));

    // Dragged by a free spot of the face to the left of and above the
    // screen's corner, the grabbed point stays under the mouse.
    const QPoint grab = install.origin + QPoint(150, 20);
    ASSERT_TRUE(runTool("xdotool", {"mousemove", QString::number(grab.x()), QString::number(grab.y()), "mousedown", "1",
                                    "mousemove", "100", "60", "mousemove", "5", "4", "mouseup", "1"}));
    EXPECT_TRUE(processUntil([&] {
        auto geometry = runTool("xdotool", {"search", "--name", windowTitle, "getwindowgeometry"});
        return geometry && geometry->contains("Position: -145,-16 ");
    }));

    ASSERT_TRUE(runTool("xdotool", {"key", "Escape"}));
    ASSERT_TRUE(player.waitForFinished(20000));
    EXPECT_EQ(player.exitCode(), 0);
    EXPECT_EQ(IniFile(install.settings).read("Position", "x"), "-145");
    EXPECT_EQ(IniFile(install.settings).read("Position", "y"), "-16");
}

// 16-bit little-endian sample i of bytes.
int sampleAt(const Bytes& bytes, std::size_t i)
{
    return static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
}

TEST_F(Program, AVolumeKeyIsHeardAtOnceOnTheTaperAndTheWheelOverAButtonChangesItToo)
{
    PlayerInstall install;
    // The disk device at the pace of a real one, so its file's length is the
    // time heard.
    QProcess& player = install.start({DEMO_SONG}, {{"SDL_DISKAUDIODELAY", "46"}});
    ASSERT_TRUE(processUntil([] { return visiblePlayerWindows().size() == 1; }));
    ASSERT_TRUE(install.playing(4 * 176400));
    const QStringList main = visiblePlayerWindows();
    ASSERT_EQ(main.size(), 1);
    ASSERT_TRUE(runTool("xdotool", {"windowfocus", "--sync", main.front()}));
    const auto volumeSetting = [&] { return IniFile(install.settings).read("Sonorbox", "Volume").value_or(""); };

    const std::uintmax_t before = sizeOf(install.device);
    ASSERT_TRUE(runTool("xdotool", {"key", "Down"}));
    ASSERT_TRUE(processUntil([&] { return volumeSetting() == "95"; }));
    const std::uintmax_t after = sizeOf(install.device);
    ASSERT_TRUE(install.playing(after + 176400));

    const Bytes expected = decoded(DEMO_SONG, install.folder);
    const Bytes heard = contentOf(install.device);
    const std::size_t songAt = findSong(heard, expected, 64 * 1024);
    ASSERT_NE(songAt, std::string::npos);
    const auto firstSound = std::find_if(expected.begin(), expected.end(), [](std::uint8_t b) { return b != 0; });
    const auto skip = std::size_t(firstSound - expected.begin());
    // The song's first sample in the heard bytes.
    ASSERT_GE(songAt, skip);
    const std::size_t start = songAt - skip;
    ASSERT_EQ(start % 4, 0u);
    const std::size_t samples = std::min((heard.size() - start) / 2, expected.size() / 2);
    std::size_t changed = 0;
    while (changed < samples && sampleAt(heard, start / 2 + changed) == sampleAt(expected, changed)) ++changed;
    ASSERT_LT(changed, samples) << "the volume was never heard";
    // Within 100 ms of the device's length when the key was pressed.
    const double changedAt = double(start + 2 * changed);
    constexpr double hundredMs = 17640;
    EXPECT_GE(changedAt, double(before) - hundredMs);
    EXPECT_LE(changedAt, double(after) + hundredMs);
    // From there on every sample is the song's on the taper, within a step.
    const double gain = 0.95 * 0.95 * 0.95;
    int worst = 0;
    for (std::size_t i = changed; i < samples; ++i) {
        const int wanted = int(std::lround(sampleAt(expected, i) * gain));
        worst = std::max(worst, std::abs(sampleAt(heard, start / 2 + i) - wanted));
    }
    EXPECT_LE(worst, 1);

    // The wheel turned over a button reaches the face.
    const SkinRect pause = skinRect("Pause");
    const QPoint over = install.origin + QPoint(pause.x + pause.width / 2, pause.y + pause.height / 2);
    ASSERT_TRUE(runTool("xdotool", {"mousemove", QString::number(over.x()), QString::number(over.y()), "click", "5"}));
    EXPECT_TRUE(processUntil([&] { return volumeSetting() == "90"; }));
    ASSERT_TRUE(runTool("xdotool", {"click", "4"}));
    EXPECT_TRUE(processUntil([&] { return volumeSetting() == "95"; }));

    ASSERT_TRUE(runTool("xdotool", {"windowfocus", "--sync", main.front(), "key", "Escape"}));
    ASSERT_TRUE(player.waitForFinished(20000));
}

// Whether a window of exactly that title is on the screen.
bool windowShown(const char* title)
{
    auto found = runTool("xdotool", {"search", "--onlyvisible", "--name", QString("^%1$").arg(title)});
    return found && !found->trimmed().isEmpty();
}

TEST_F(Program, AMessageOfThePlayerLeavesTheWindowUsableAndGoesWithIt)
{
    PlayerInstall install;
    const std::string list =
        install.folder.write("Names a gone list.m3u", install.folder.file("gone.m3u") + "\n" DEMO_SONG "\n");
    QProcess& player = install.start({QString::fromStdString(list)});
    ASSERT_TRUE(processUntil([] { return windowShown("Application Error"); }));
    // The rest of the list plays meanwhile.
    ASSERT_TRUE(install.playing(64 * 1024));
    const QStringList main = visiblePlayerWindows();
    ASSERT_EQ(main.size(), 1);
    ASSERT_TRUE(runTool("xdotool", {"windowfocus", "--sync", main.front(), "key", "Escape"}));
    ASSERT_TRUE(player.waitForFinished(5000)) << "Escape did not reach the player's window";
    EXPECT_EQ(player.exitCode(), 0);
}

TEST_F(Program, TheSongBeforeARefusedOneIsHeardToItsEndAndThenTheRefusalShows)
{
    PlayerInstall install;
    const std::string song = TEST_DATA_DIR "/mp3/joint-128.mp3";
    const std::string list = install.folder.write("Refused second.m3u", song + "\n" TEST_DATA_DIR "/mp3/mono-64.mp3\n");
    const Bytes expected = decoded(song, install.folder);
    ASSERT_EQ(expected.size(), 44100u * 4);
    install.start({QString::fromStdString(list)});
    ASSERT_TRUE(processUntil([] { return windowShown("Low Quality MPEG Audio Detected"); }));
    // All of it, its last partial block too, was heard when the box came.
    const Bytes heard = contentOf(install.device);
    const auto sound = std::find_if(expected.begin(), expected.end(), [](std::uint8_t b) { return b != 0; });
    const std::size_t length = std::size_t(expected.end() - sound);
    EXPECT_NE(findSong(heard, expected, length), std::string::npos) << heard.size() << " bytes heard";
}

TEST_F(Program, ASkinMadeOnWindowsWithItsFilesNamedInAnyCaseShowsItsFace)
{
    Backdrop backdrop;
    PlayerInstall install;
    TempFolder skin;
    const std::pair<const char*, const char*> names[] = {{"Skin.ini", "skin.ini"},
                                                         {"MainUp.bmp", "mainup.bmp"},
                                                         {"MainDown.bmp", "MAINDOWN.BMP"},
                                                         {"About.bmp", "about.bmp"}};
    for (const auto& [name, as] : names)
        std::filesystem::copy_file(std::filesystem::path(DEFAULT_SKIN) / name, skin.file(as));
    IniFile(install.settings).write("Sonorbox", "skin", skin.file("skin.ini"));
    QProcess& player = install.start();
    ASSERT_TRUE(processUntil([] { return visiblePlayerWindows().size() == 1; }, std::chrono::seconds(10)));
    QString why;
    EXPECT_TRUE(processUntil([&] { return faceShown(install.origin, 1, why); }, std::chrono::seconds(10)))
        << why.toStdString();
    ASSERT_TRUE(runTool("xdotool", {"windowfocus", "--sync", visiblePlayerWindows().value(0), "key", "Escape"}));
    ASSERT_TRUE(player.waitForFinished(20000));
    EXPECT_EQ(player.exitCode(), 0);
}

TEST_F(Program, AtTwiceThePixelRatioTheFaceIsTwiceAsLargeSharpAndShapedAlike)
{
    Backdrop backdrop;
    PlayerInstall install;
    install.start({DEMO_SONG}, {{"QT_SCALE_FACTOR", "2"}});
    ASSERT_TRUE(processUntil([] { return visiblePlayerWindows().size() == 1; }));
    QString why;
    EXPECT_TRUE(processUntil([&] { return faceShown(install.origin * 2, 2, why); }, std::chrono::seconds(10)))
        << why.toStdString();
}

// Where the song decoded as expected is heard from its start, from byte from
// of heard on; npos when it is not. Found by a block a tenth of a second in:
// the first samples after a change of song carry the last song's filter
// history.
std::size_t songStartAfter(const Bytes& heard, const Bytes& expected, std::size_t from)
{
    constexpr std::size_t in = 4410 * 4;
    constexpr std::size_t length = 16384;
    if (expected.size() < in + length) return std::string::npos;
    const auto needle = expected.begin() + in;
    const auto found = std::search(heard.begin() + static_cast<long>(std::min(from + in, heard.size())), heard.end(),
                                   std::boyer_moore_horspool_searcher(needle, needle + length));
    if (found == heard.end()) return std::string::npos;
    return std::size_t(found - heard.begin()) - in;
}

// The real player steered while the next song is decoded ahead of the one
// heard: every request goes on from the song heard.
class RequestsOnTheSongHeard : public Program {
protected:
    static constexpr std::size_t second = 176400;
    PlayerInstall install;
    std::vector<std::string> songs{TEST_DATA_DIR "/mp3/list-a.mp3", TEST_DATA_DIR "/mp3/list-b.mp3",
                                   TEST_DATA_DIR "/mp3/list-c.mp3"};
    std::vector<Bytes> expected;

    void SetUp() override
    {
        Program::SetUp();
        if (IsSkipped()) return;
        for (const auto& song : songs) expected.push_back(decoded(song, install.folder));
        const std::string list =
            install.folder.write("Three songs.m3u", songs[0] + "\n" + songs[1] + "\n" + songs[2] + "\n");
        install.start({QString::fromStdString(list)});
        ASSERT_TRUE(processUntil([] { return visiblePlayerWindows().size() == 1; }));
    }

    // The first song that begins to be heard from byte from on: its index,
    // and where; -1 when none has yet.
    std::pair<int, std::size_t> firstStartAfter(std::size_t from)
    {
        const Bytes heard = contentOf(install.device);
        std::pair<int, std::size_t> first{-1, std::string::npos};
        for (int i = 0; i < 3; ++i) {
            const std::size_t at = songStartAfter(heard, expected[std::size_t(i)], from);
            if (at < first.second) first = {i, at};
        }
        return first;
    }

    // Waits until a song begins to be heard after byte from, expecting song
    // index, then until seconds of it are heard; where it began.
    std::size_t heardFor(int index, std::size_t from, double seconds)
    {
        std::size_t start = std::string::npos;
        EXPECT_TRUE(processUntil(
            [&] {
                const auto first = firstStartAfter(from);
                if (first.first < 0) return false;
                start = first.first == index ? first.second : std::string::npos;
                EXPECT_EQ(first.first, index) << "at byte " << first.second << " of " << sizeOf(install.device);
                return true;
            },
            std::chrono::seconds(30)));
        if (start == std::string::npos) return start;
        const auto until = start + static_cast<std::size_t>(seconds * second);
        EXPECT_TRUE(processUntil([&] { return sizeOf(install.device) >= until; }, std::chrono::seconds(30)));
        return start;
    }

    // Makes a request and tells which song is heard from its start next.
    int songAfter(const std::function<void()>& request)
    {
        const std::size_t sentAt = sizeOf(install.device);
        request();
        int next = -1;
        EXPECT_TRUE(processUntil(
            [&] {
                next = firstStartAfter(sentAt).first;
                return next >= 0;
            },
            std::chrono::seconds(30)));
        return next;
    }

    void press(const char* button) { install.click(skinRect(button)); }
    void key(const char* name)
    {
        ASSERT_TRUE(runTool("xdotool", {"windowfocus", "--sync", visiblePlayerWindows().value(0), "key", name}));
    }
};

TEST_F(RequestsOnTheSongHeard, NextPlaysTheEntryAfterTheOneHeardPrevTheOneBefore)
{
    std::size_t at = heardFor(0, 0, 0.0);
    ASSERT_NE(at, std::string::npos);
    for (double into : {4.0, 6.0, 8.0}) {
        // B heard for a while, its end and C's start queued or decoded.
        at = heardFor(1, at + 4, into);
        ASSERT_NE(at, std::string::npos) << into;
        EXPECT_EQ(songAfter([&] { press("Next"); }), 2) << "Next " << into << " s into B";
        at = heardFor(2, at + 4, 0.5);
        ASSERT_NE(at, std::string::npos);
        EXPECT_EQ(songAfter([&] { press("Prev"); }), 1) << "Prev early in C";
    }
    at = heardFor(1, at + 4, 6.0);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(songAfter([&] { press("Prev"); }), 0) << "Prev 6 s into B";
}

TEST_F(RequestsOnTheSongHeard, FiveSecondsOnPastTheEndOfTheSongHeardPlayTheNextFromItsStart)
{
    // 8 s into A the next song is decoded already: Right goes to B from its
    // start, not into B's end.
    const std::size_t at = heardFor(0, 0, 8.0);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(songAfter([&] { key("Right"); }), 1);
}

TEST_F(Program, ASecondStartHandsItsListOverAndEndsWhenThePlayerHasSwitched)
{
    PlayerInstall install;
    install.start({DEMO_SONG});
    ASSERT_TRUE(processUntil([] { return visiblePlayerWindows().size() == 1; }));
    ASSERT_TRUE(install.playing(256 * 1024));

    const std::string first = std::string(TEST_DATA_DIR) + "/mp3/stereo-128.mp3";
    const std::string list = install.folder.write("Two songs.m3u", first + "\n" + TEST_DATA_DIR "/mp3/joint-128.mp3\n");
    QProcess& second = install.start({QString::fromStdString(list)});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    // The running player had taken the list over before the second start ended.
    EXPECT_EQ(install.song(), list);

    const Bytes expected = decoded(first, install.folder);
    EXPECT_TRUE(
        processUntil([&] { return findSong(contentOf(install.device), expected, 64 * 1024) != std::string::npos; }));
    EXPECT_EQ(visiblePlayerWindows().size(), 1);
}

TEST_F(Program, ASecondStartWithoutAPathEndsAtOnceAndChangesNothing)
{
    PlayerInstall install;
    install.start({DEMO_SONG});
    ASSERT_TRUE(processUntil([] { return visiblePlayerWindows().size() == 1; }));
    QProcess& second = install.start();
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(install.song(), DEMO_SONG);
    EXPECT_EQ(install.processes.front()->state(), QProcess::Running);
    EXPECT_EQ(visiblePlayerWindows().size(), 1);
}

TEST_F(Program, WhatACrashedPlayerLeftDoesNotStopTheNextStart)
{
    PlayerInstall install;
    const std::string rendezvous = "Sonorbox MP3 on " + xvfb->display().toStdString();
    install.runtime.write(rendezvous, "a socket file nobody listens on");
    install.runtime.write(rendezvous + ".lock",
                          "2147483000\nsonorbox\n" + QSysInfo::machineHostName().toStdString() + "\n");
    install.start({DEMO_SONG});
    EXPECT_TRUE(processUntil([] { return visiblePlayerWindows().size() == 1; }));
    EXPECT_TRUE(install.playing(64 * 1024));
}

TEST_F(Program, TwoStartsAtTheSameMomentLeaveOnePlayer)
{
    PlayerInstall install;
    QProcess& one = install.start();
    QProcess& other = install.start();
    ASSERT_TRUE(
        processUntil([&] { return one.state() == QProcess::NotRunning || other.state() == QProcess::NotRunning; }));
    EXPECT_TRUE(processUntil([] { return visiblePlayerWindows().size() == 1; }));
    EXPECT_TRUE(one.state() == QProcess::Running || other.state() == QProcess::Running);
}

TEST_F(Program, EachDisplayHasItsPlayerAndASecondStartHandsOverOnItsOwn)
{
    XvfbServer otherServer;
    if (!otherServer.isRunning()) GTEST_SKIP() << "no second virtual X server: " << otherServer.failure().toStdString();
    PlayerInstall install;
    const std::string here = install.folder.file("here.raw");
    const std::string there = install.folder.file("there.raw");
    QProcess& playerHere = install.start({DEMO_SONG}, {{"SDL_DISKAUDIOFILE", QString::fromStdString(here)}});
    ASSERT_TRUE(processUntil([] { return visiblePlayerWindows().size() == 1; }));
    QProcess& playerThere = install.start(
        {DEMO_SONG}, {{"DISPLAY", otherServer.display()}, {"SDL_DISKAUDIOFILE", QString::fromStdString(there)}});
    ASSERT_TRUE(processUntil([&] { return visiblePlayerWindows(otherServer.display()).size() == 1; }));
    EXPECT_EQ(playerHere.state(), QProcess::Running);

    // This display again, written with its screen: the player here takes the song over.
    const std::string song = std::string(TEST_DATA_DIR) + "/mp3/stereo-128.mp3";
    QProcess& second = install.start({QString::fromStdString(song)}, {{"DISPLAY", xvfb->display() + ".0"}});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    const Bytes expected = decoded(song, install.folder);
    EXPECT_TRUE(processUntil([&] { return findSong(contentOf(here), expected, 64 * 1024) != std::string::npos; }));
    EXPECT_EQ(findSong(contentOf(there), expected, 64 * 1024), std::string::npos);
    EXPECT_EQ(playerThere.state(), QProcess::Running);
    EXPECT_EQ(visiblePlayerWindows().size(), 1);
    EXPECT_EQ(visiblePlayerWindows(otherServer.display()).size(), 1);
}

// The player's window, found on the display once shown.
QString playerWindow()
{
    QStringList found;
    processUntil([&] { return (found = visiblePlayerWindows()).size() == 1; });
    return found.value(0);
}

QPoint windowPosition(const QString& window)
{
    const auto shown = runTool("xdotool", {"getwindowgeometry", window});
    const QRegularExpressionMatch match =
        QRegularExpression("Position: (-?\\d+),(-?\\d+)").match(shown.value_or(QString()));
    return match.hasMatch() ? QPoint(match.captured(1).toInt(), match.captured(2).toInt()) : QPoint(-1, -1);
}

// Whether count of the program's windows at least are shown: the face, its
// menu, a sub-menu.
bool programWindowsShown(int count)
{
    return processUntil([count] {
        auto shown = runTool("xdotool", {"search", "--onlyvisible", "--class", "sonorbox"});
        return shown && shown->split('\n', Qt::SkipEmptyParts).size() >= count;
    });
}

// Opens the face's menu with a right click on a free spot of the face.
bool openFaceMenu(const PlayerInstall& install)
{
    const QPoint spot = install.origin + QPoint(150, 20);
    return runTool("xdotool", {"mousemove", QString::number(spot.x()), QString::number(spot.y()), "click", "3"}) &&
           programWindowsShown(2);
}

void endWith(int signal, QProcess& process)
{
    ::kill(pid_t(process.processId()), signal);
}

TEST_F(Program, SigtermWhilePlayingEndsAsEscapeDoesAndKeepsThePlace)
{
    PlayerInstall install;
    QProcess& player = install.start({DEMO_SONG});
    const QString window = playerWindow();
    ASSERT_FALSE(window.isEmpty());
    ASSERT_TRUE(install.playing(256 * 1024));
    ASSERT_TRUE(runTool("xdotool", {"windowmove", "--sync", window, "123", "77"}));
    ASSERT_TRUE(processUntil([&] { return windowPosition(window) == QPoint(123, 77); }));

    QElapsedTimer took;
    took.start();
    endWith(SIGTERM, player);
    ASSERT_TRUE(player.waitForFinished(20000)) << "SIGTERM did not end the player";
    std::cout << "[ figure   ] SIGTERM to exit: " << took.elapsed() << " ms\n";
    EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(player.exitCode(), 0);
    EXPECT_EQ(IniFile(install.settings).read("Position", "x"), "123");
    EXPECT_EQ(IniFile(install.settings).read("Position", "y"), "77");
}

// The volume is saved once it rests; an Escape right after a key keeps it.
TEST_F(Program, AVolumeKeyRightBeforeEscapeIsKept)
{
    PlayerInstall install;
    QProcess& player = install.start({});
    const QString window = playerWindow();
    ASSERT_FALSE(window.isEmpty());
    ASSERT_TRUE(runTool("xdotool", {"windowfocus", "--sync", window, "key", "Down", "Down", "Escape"}));
    ASSERT_TRUE(player.waitForFinished(20000));
    EXPECT_EQ(IniFile(install.settings).read("Sonorbox", "Volume"), "90");
}

TEST_F(Program, SignalsDuringTheQuitQuestionEndThePlayerAndKeepTheSkin)
{
    for (const int signal : {SIGHUP, SIGINT}) {
        PlayerInstall install;
        QProcess& player = install.start({DEMO_SONG});
        ASSERT_FALSE(playerWindow().isEmpty());
        install.click(skinRect("Quit"));
        ASSERT_TRUE(processUntil([] {
            const auto found = runTool("xdotool", {"search", "--onlyvisible", "--name", "^Skin settings$"});
            return found && !found->trimmed().isEmpty();
        })) << "the Quit question never showed";
        endWith(signal, player);
        ASSERT_TRUE(player.waitForFinished(20000)) << "signal " << signal << " did not end the player";
        EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(player.exitCode(), 0);
        EXPECT_EQ(IniFile(install.settings).read("Sonorbox", "skin"), DEFAULT_SKIN "/Skin.ini");
    }
}

// The X server going away while the player plays: the toolkit ends the
// program with status 1, and no thread of the player may still run while
// exit() destroys the program's static state. Under AddressSanitizer any
// such use is reported on the error output. The window's place is kept.
TEST_F(Program, TheDisplayGoneWhilePlayingEndsThePlayerInOrder)
{
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE(round);
        auto display = std::make_unique<XvfbServer>();
        ASSERT_TRUE(display->isRunning()) << display->failure().toStdString();
        PlayerInstall install;
        std::filesystem::remove(install.settings);
        IniFile(install.settings).write("Sonorbox", "skin", DEFAULT_SKIN "/Skin.ini");
        // No session bus: else one is started from each new display, outlives
        // it, and its start was seen to hold up the audio device's opening.
        const QString noBus = QString::fromStdString("unix:path=" + install.folder.file("no-bus"));
        QProcess& player = install.start(
            {DEMO_SONG},
            {{"DISPLAY", display->display()}, {"QT_SCALE_FACTOR", "2"}, {"DBUS_SESSION_BUS_ADDRESS", noBus}},
            QProcess::SeparateChannels);
        ASSERT_TRUE(install.playing(64 * 1024 + 16384 * (round % 4)))
            << "not playing; running: " << (player.state() == QProcess::Running)
            << ", said: " << QString::fromLocal8Bit(player.readAllStandardError()).toStdString();

        display.reset();
        ASSERT_TRUE(player.waitForFinished(30000)) << "the player outlived its display";
        const QString said = QString::fromLocal8Bit(player.readAllStandardError());
        EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(player.exitCode(), 1);
        EXPECT_FALSE(said.contains("Sanitizer") || said.contains("runtime error:")) << said.toStdString();
        EXPECT_EQ(IniFile(install.settings).read("Position", "x"), "0");
    }
}

// The same while the playlist window reads its songs: its thread ends before
// the program's exit() takes what it reads with.
TEST_F(Program, TheDisplayGoneWhileThePlaylistReadsEndsThePlayerInOrder)
{
    // Songs of varying bitrate without a header frame, long to count.
    TempFolder songs;
    std::ifstream in(TEST_DATA_DIR "/mp3/varied-v2-notag.mp3", std::ios::binary);
    const std::string one((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string many;
    for (int i = 0; i < 200; ++i) many += one;
    const std::string song = songs.write("long.mp3", many);
    std::filesystem::create_directories(songs.file("list"));
    for (int i = 0; i < 300; ++i)
        std::filesystem::create_symlink(song, songs.file("list/song " + std::to_string(1000 + i) + ".mp3"));
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        auto display = std::make_unique<XvfbServer>();
        ASSERT_TRUE(display->isRunning()) << display->failure().toStdString();
        PlayerInstall install;
        IniFile(install.settings).write("Playlist", "Shown", "1");
        const QString noBus = QString::fromStdString("unix:path=" + install.folder.file("no-bus"));
        QProcess& player = install.start({QString::fromStdString(songs.file("list"))},
                                         {{"DISPLAY", display->display()}, {"DBUS_SESSION_BUS_ADDRESS", noBus}},
                                         QProcess::SeparateChannels);
        ASSERT_TRUE(install.playing(64 * 1024 + 16384 * round))
            << "not playing; said: " << QString::fromLocal8Bit(player.readAllStandardError()).toStdString();

        display.reset();
        ASSERT_TRUE(player.waitForFinished(30000)) << "the player outlived its display";
        const QString said = QString::fromLocal8Bit(player.readAllStandardError());
        EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(player.exitCode(), 1);
        EXPECT_FALSE(said.contains("Sanitizer") || said.contains("runtime error:")) << said.toStdString();
        EXPECT_EQ(IniFile(install.settings).read("Playlist", "Shown"), "1");
    }
}

TEST(ProgramWithoutDisplay, SaysSoInOneLineAndFails)
{
    for (const char* display : {"", ":987"}) {
        if (*display && std::filesystem::exists("/tmp/.X11-unix/X987")) continue;
        QProcess player;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("WAYLAND_DISPLAY");
        environment.remove("QT_QPA_PLATFORM");
        environment.insert("DISPLAY", display);
        player.setProcessEnvironment(environment);
        player.start(SONORBOX_PROGRAM, {DEMO_SONG});
        ASSERT_TRUE(player.waitForFinished(10000));
        EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(player.exitCode(), 1);
        const QStringList lines = QString::fromLocal8Bit(player.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 1) << lines.join('|').toStdString();
        EXPECT_TRUE(lines[0].startsWith("sonorbox: ")) << lines[0].toStdString();
    }
}

// The name of the player's lock and socket on the tests' display.
std::string rendezvousName()
{
    return "Sonorbox MP3 on " + xvfb->display().toStdString();
}

// A folder that every user may make files in, as /tmp.
std::string sharedTemporaryFolder(const TempFolder& folder)
{
    const std::string shared = folder.file("tmp");
    std::filesystem::create_directory(shared);
    std::filesystem::permissions(shared, std::filesystem::perms::all | std::filesystem::perms::sticky_bit);
    return shared;
}

// A folder made by the other user, open to all.
std::string folderOfOtherUser(const std::string& path, const otheruser::User& user)
{
    std::filesystem::create_directory(path);
    std::filesystem::permissions(path, std::filesystem::perms::all);
    EXPECT_EQ(::chown(path.c_str(), user.uid, user.gid), 0);
    return path;
}

// Another user was first, without a runtime folder of ours: where the
// player would make its own folder, and where it used to listen (the
// toolkit's runtime folder, or failing that the temporary folder itself),
// that user's listener holds a live player's lock and answers as the player.
TEST_F(Program, AnotherUsersListenerWhereThePlayerWouldListenHearsNothingAndThePlayerRuns)
{
    std::string why;
    const auto user = otheruser::find(why);
    if (!user) GTEST_SKIP() << why;
    PlayerInstall install;
    std::filesystem::permissions(install.folder.path(), std::filesystem::perms::owner_all |
                                                            std::filesystem::perms::others_read |
                                                            std::filesystem::perms::others_exec);
    const std::string shared = sharedTemporaryFolder(install.folder);
    std::vector<std::unique_ptr<otheruser::Squatter>> squatters;
    for (const std::string& folder :
         {folderOfOtherUser(shared + "/sonorbox-" + std::to_string(::getuid()), *user),
          folderOfOtherUser(shared + "/runtime-" + std::string(::getpwuid(::getuid())->pw_name), *user), shared}) {
        squatters.push_back(std::make_unique<otheruser::Squatter>(*user, folder + "/" + rendezvousName()));
        ASSERT_TRUE(squatters.back()->listening());
        ASSERT_TRUE(squatters.back()->writeLock(folder + "/" + rendezvousName() + ".lock", *user));
    }

    QProcess& player =
        install.start({DEMO_SONG}, {{"XDG_RUNTIME_DIR", QString()}, {"TMPDIR", QString::fromStdString(shared)}},
                      QProcess::SeparateChannels);
    EXPECT_TRUE(processUntil([] { return visiblePlayerWindows().size() == 1; }))
        << "the start handed its song to another user's listener";
    EXPECT_EQ(player.state(), QProcess::Running);
    for (const auto& squatter : squatters) EXPECT_EQ(squatter->heard(), "");
    EXPECT_TRUE(install.playing(64 * 1024));
    // Said, naming the folder that is not the user's own.
    const std::string told =
        "sonorbox: " + shared + "/sonorbox-" + std::to_string(::getuid()) +
        " belongs to another user: this player runs on its own, without taking over later starts\n";
    std::string said;
    EXPECT_TRUE(processUntil([&] {
        said += player.readAllStandardError().toStdString();
        return said.find(told) != std::string::npos;
    })) << said;
}

// Another user's listener at the very place of the running player's socket
// (put there by the superuser: that user could never make it in a private
// folder) is refused by its credentials: the second start sends it nothing
// and runs as the player.
TEST_F(Program, AListenerOfAnotherUserInThePrivateFolderHearsNothingAndTheSecondStartRunsAsThePlayer)
{
    std::string why;
    const auto user = otheruser::find(why);
    if (!user) GTEST_SKIP() << why;
    PlayerInstall install;
    QProcess& first = install.start({DEMO_SONG});
    ASSERT_TRUE(processUntil([] { return visiblePlayerWindows().size() == 1; }));
    const std::string socket = install.runtime.file(rendezvousName());
    ASSERT_TRUE(processUntil([&] { return std::filesystem::exists(socket); }));
    otheruser::Squatter squatter(*user);
    ASSERT_TRUE(squatter.listening());
    ASSERT_TRUE(squatter.moveTo(socket));

    QProcess& second = install.start({QString::fromStdString(std::string(TEST_DATA_DIR) + "/mp3/stereo-128.mp3")});
    EXPECT_TRUE(processUntil([] { return visiblePlayerWindows().size() == 2; }, std::chrono::seconds(20)))
        << "the second start handed its song to the other user's listener";
    EXPECT_EQ(second.state(), QProcess::Running);
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(squatter.heard(), "");
}

// A thousand and more clients that connect and say nothing, more than the
// player may have files open: it keeps listening, and a second start hands
// its song over.
TEST_F(Program, ManyIdleClientsDoNotKeepASecondStartFromHandingOver)
{
    PlayerInstall install;
    auto usualLimit = std::make_unique<idleclients::UsualFileLimit>();
    QProcess& first = install.start({DEMO_SONG});
    usualLimit.reset();
    ASSERT_TRUE(processUntil([] { return visiblePlayerWindows().size() == 1; }));
    const std::string socket = install.runtime.file(rendezvousName());
    ASSERT_TRUE(processUntil([&] { return std::filesystem::exists(socket); }));
    const std::vector<int> idle = idleclients::open(socket, 1500);
    EXPECT_EQ(idle.size(), 1500u) << "the player stopped taking connections";

    const std::string song = std::string(TEST_DATA_DIR) + "/mp3/stereo-128.mp3";
    QProcess& second = install.start({QString::fromStdString(song)});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(install.song(), song);
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(visiblePlayerWindows().size(), 1);
    idleclients::close(idle);
}

// A path longer than the platform allows is refused at once, by a first start
// and a second alike, and never becomes the song.
TEST_F(Program, APathBeyondThePlatformsLimitIsRefusedAtOnce)
{
    PlayerInstall install;
    // As the words of the command line, which are taken as one path.
    QStringList words(256, QString(4095, QLatin1Char('x')));
    words[0] = QLatin1Char('/') + QString(4094, QLatin1Char('x'));
    const std::string start =
        "sonorbox: the path is too long (1048575 bytes, at most 4095): \"/" + std::string(59, 'x') + "...\"\n";
    for (const bool running : {false, true}) {
        if (running) {
            install.start({DEMO_SONG});
            ASSERT_TRUE(processUntil([] { return visiblePlayerWindows().size() == 1; }));
        }
        QProcess& refused = install.start(words, {}, QProcess::SeparateChannels);
        ASSERT_TRUE(refused.waitForFinished(10000));
        EXPECT_EQ(refused.exitCode(), 1);
        const std::string said = refused.readAllStandardError().toStdString();
        EXPECT_NE(said.find(start), std::string::npos) << said.substr(0, 300);
        EXPECT_LT(said.size(), 300u);
        EXPECT_EQ(install.song(), running ? DEMO_SONG : "");
    }
}

// --help and --version need no display: they print, end with 0 and leave
// the settings as they were.
TEST(ProgramAnswers, HelpAndVersionPrintAndEndWithoutAWindowOrASetting)
{
    PlayerInstall install;
    const Bytes settingsBefore = contentOf(install.settings);
    for (const QString& option : {QStringLiteral("--help"), QStringLiteral("--version")}) {
        QProcess& answer = install.start({option}, {{"DISPLAY", QString()}, {"WAYLAND_DISPLAY", QString()}},
                                         QProcess::SeparateChannels);
        ASSERT_TRUE(answer.waitForFinished(10000));
        EXPECT_EQ(answer.exitCode(), 0) << option.toStdString();
        const QString said = QString::fromUtf8(answer.readAllStandardOutput());
        EXPECT_TRUE(said.startsWith(option == "--help" ? "usage: sonorbox [PATH]" : "Sonorbox 0.82a\n"))
            << said.toStdString();
        EXPECT_TRUE(answer.readAllStandardError().isEmpty());
    }
    EXPECT_EQ(contentOf(install.settings), settingsBefore);
    // No player was claimed: no lock or socket was made.
    EXPECT_TRUE(std::filesystem::is_empty(install.runtime.path()));
}

TEST_F(Program, AFolderOnTheCommandLinePlaysItsSongsAndIsRemembered)
{
    PlayerInstall install;
    TempFolder music;
    std::filesystem::create_directories(music.file("Sub"));
    std::filesystem::copy_file(DEMO_SONG, music.file("Sub/demo.mp3"));
    install.start({QString::fromStdString(music.path())});
    ASSERT_TRUE(processUntil([] { return visiblePlayerWindows().size() == 1; }));
    EXPECT_TRUE(install.playing(256 * 1024));
    EXPECT_EQ(install.song(), music.path());
}

TEST_F(Program, ASecondStartWhosePathNamesNothingLeavesTheSongPlayingAndSaysSo)
{
    PlayerInstall install;
    install.start({DEMO_SONG});
    ASSERT_TRUE(processUntil([] { return visiblePlayerWindows().size() == 1; }));
    ASSERT_TRUE(install.playing(256 * 1024));
    QProcess& second = install.start({QString::fromStdString(install.folder.file("missing.mp3"))});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(processUntil([] {
        const auto found = runTool("xdotool", {"search", "--onlyvisible", "--name", "^Application Error$"});
        return found && !found->trimmed().isEmpty();
    })) << "no message said why nothing changed";
    EXPECT_EQ(install.song(), DEMO_SONG);
    // The song goes on: the device's file keeps growing.
    const std::uintmax_t now = sizeOf(install.device);
    EXPECT_TRUE(install.playing(now + 128 * 1024));
}

TEST_F(Program, AMovedPortableCopyKeepsTheSkinItsSettingsNameFromItsFolder)
{
    Backdrop backdrop;
    PlayerInstall install;
    std::filesystem::create_directories(install.folder.file("skins"));
    std::filesystem::copy(DEFAULT_SKIN, install.folder.file("skins/Default"));
    IniFile(install.settings).write("Sonorbox", "skin", "skins/Default/Skin.ini");
    install.start({DEMO_SONG});
    ASSERT_TRUE(processUntil([] { return visiblePlayerWindows().size() == 1; }));
    QString why;
    EXPECT_TRUE(processUntil([&] { return faceShown(install.origin, 1, why); }, std::chrono::seconds(10)))
        << why.toStdString();
    EXPECT_EQ(IniFile(install.settings).read("Sonorbox", "skin"), "skins/Default/Skin.ini");
}

// The menu of a right click on the real face, worked by its keys: Skins, the
// first skin of the program's skins folder. The window takes its shape at
// once and the song plays on.
TEST_F(Program, ASkinPutOnFromTheFacesMenuReshapesTheWindowWhileTheSongPlays)
{
    PlayerInstall install;
    TempFolder userData;
    std::filesystem::create_directories(install.folder.file("skins"));
    std::filesystem::copy(TEST_DATA_DIR "/skins/Vertical", install.folder.file("skins/Vertical"));
    install.start({DEMO_SONG}, {{"XDG_DATA_HOME", QString::fromStdString(userData.path())}});
    ASSERT_TRUE(processUntil([] { return visiblePlayerWindows().size() == 1; }));
    ASSERT_TRUE(install.playing(256 * 1024));
    ASSERT_TRUE(openFaceMenu(install)) << "no menu opened";
    // Up from none chosen begins at the last item: Quit, About, Always on
    // Top, Skins; into it, where its first skin is chosen.
    ASSERT_TRUE(runTool("xdotool", {"key", "Up", "Up", "Up", "Up", "Right"}));
    ASSERT_TRUE(programWindowsShown(3)) << "the Skins sub-menu did not open";
    ASSERT_TRUE(runTool("xdotool", {"key", "Return"}));
    EXPECT_TRUE(processUntil([] {
        auto geometry = runTool("xdotool", {"search", "--name", windowTitle, "getwindowgeometry"});
        return geometry && geometry->contains("Geometry: 120x90");
    })) << "the face did not take the skin's shape";
    // The player saves the skin after the face has taken its shape.
    const std::string chosen = install.folder.file("skins/Vertical/Skin.ini");
    EXPECT_TRUE(processUntil([&] { return IniFile(install.settings).read("Sonorbox", "skin") == chosen; }))
        << IniFile(install.settings).read("Sonorbox", "skin").value_or("(none)");
    const std::uintmax_t now = sizeOf(install.device);
    EXPECT_TRUE(install.playing(now + 128 * 1024)) << "the song did not play on";
}

// The window manager reads whether a window stays on top from its
// _NET_WM_STATE; the player's menu item sets it and the setting keeps it.
TEST_F(Program, AlwaysOnTopFromTheMenuIsTheWindowsStateAndIsRemembered)
{
    if (!XvfbServer::toolInstalled("xprop")) GTEST_SKIP() << "xprop is not installed";
    PlayerInstall install;
    IniFile(install.settings).write("Sonorbox", "OnTop", "0");
    install.start({DEMO_SONG});
    ASSERT_TRUE(processUntil([] { return visiblePlayerWindows().size() == 1; }));
    const auto above = [] {
        const QStringList windows = visiblePlayerWindows();
        if (windows.size() != 1) return std::optional<bool>();
        auto state = runTool("xprop", {"-id", windows.front(), "_NET_WM_STATE"});
        if (!state) return std::optional<bool>();
        return std::optional<bool>(state->contains("_NET_WM_STATE_ABOVE"));
    };
    EXPECT_TRUE(processUntil([&] { return above() == false; }));
    ASSERT_TRUE(openFaceMenu(install)) << "no menu opened";
    // Up from none chosen begins at the last item: Quit, About, Always on Top.
    ASSERT_TRUE(runTool("xdotool", {"key", "Up", "Up", "Up", "Return"}));
    EXPECT_TRUE(processUntil([&] { return above() == true; })) << "the window is not kept on top";
    EXPECT_EQ(IniFile(install.settings).read("Sonorbox", "OnTop"), "1");
}

// The equaliser's window is a window of its own beside the face, which the
// keys reach; what they set is saved, and the window opens again with the
// face at the next start, where it was.
TEST_F(Program, TheEqualiserFromTheFacesMenuOpensBesideTheFaceItsKeysAreKeptAndItOpensAgain)
{
    PlayerInstall install;
    QProcess& player = install.start({DEMO_SONG});
    const QString face = playerWindow();
    ASSERT_FALSE(face.isEmpty());
    ASSERT_TRUE(install.playing(256 * 1024));
    ASSERT_TRUE(openFaceMenu(install)) << "no menu opened";
    // Up from none chosen begins at the last item: Quit, About, Always on
    // Top, Skins, Equaliser....
    ASSERT_TRUE(runTool("xdotool", {"key", "Up", "Up", "Up", "Up", "Up", "Return"}));
    const auto equaliserWindow = [] {
        QStringList found;
        processUntil([&] {
            auto shown = runTool("xdotool", {"search", "--onlyvisible", "--name", "^Equaliser$"});
            found = shown ? shown->split('\n', Qt::SkipEmptyParts) : QStringList();
            return found.size() == 1;
        });
        return found.value(0);
    };
    const QString window = equaliserWindow();
    ASSERT_FALSE(window.isEmpty()) << "the equaliser did not open";
    // The 800 pixels of the test's screen leave no room for it right or left
    // of the face: it opens below it.
    const QPoint below = install.origin + QPoint(0, QImage(DEFAULT_SKIN "/MainUp.bmp").height());
    EXPECT_TRUE(processUntil([&] { return windowPosition(window) == below; })) << "not below the face";

    // Focus opens on the switch: Tab, Tab and Up raise the lowest band from
    // the built-in 1.6 dB to 2 dB; saved once it rests, while the song plays.
    ASSERT_TRUE(runTool("xdotool", {"windowfocus", "--sync", window, "key", "Tab", "Tab", "Up"}));
    EXPECT_TRUE(processUntil([&] { return equalisersettings::read(IniFile(install.settings)).gainsDb[0] == 2.0f; }));
    EXPECT_TRUE(install.playing(sizeOf(install.device) + 64 * 1024));
    ASSERT_TRUE(runTool("xdotool", {"windowfocus", "--sync", face, "key", "Escape"}));
    ASSERT_TRUE(player.waitForFinished(20000));

    install.start({});
    const QString again = equaliserWindow();
    ASSERT_FALSE(again.isEmpty()) << "the equaliser did not open with the face";
    EXPECT_TRUE(processUntil([&] { return windowPosition(again) == below; }));
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no server.
    const bool listing = ::testing::GTEST_FLAG(list_tests);
    std::unique_ptr<XvfbServer> server;
    if (!listing) {
        server = std::make_unique<XvfbServer>();
        xvfb = server.get();
    }
    if (xvfb && xvfb->isRunning()) {
        qputenv("DISPLAY", xvfb->display().toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

QString playlistWindow()
{
    QStringList found;
    processUntil([&] {
        const auto shown = runTool("xdotool", {"search", "--onlyvisible", "--name", "^Playlist$"});
        return (found = shown ? shown->split('\n', Qt::SkipEmptyParts) : QStringList()).size() == 1;
    });
    return found.value(0);
}

TEST_F(Program, ThePlaylistWindowOpensBesideTheFaceMovesWithItAndKeepsTheListenersPlace)
{
    PlayerInstall install;
    IniFile(install.settings).write("Playlist", "Shown", "1");
    {
        QProcess& player = install.start({DEMO_SONG});
        const QString face = playerWindow();
        ASSERT_FALSE(face.isEmpty());
        const QString list = playlistWindow();
        ASSERT_FALSE(list.isEmpty()) << "the playlist window was not shown again";
        // Right of the 340-pixel face.
        EXPECT_TRUE(processUntil([&] { return windowPosition(list) == install.origin + QPoint(340, 0); }))
            << windowPosition(list).x() << "," << windowPosition(list).y();

        // The face dragged: the list moves along.
        const QPoint grab = install.origin + QPoint(150, 20);
        ASSERT_TRUE(runTool("xdotool",
                            {"mousemove", QString::number(grab.x()), QString::number(grab.y()), "mousedown", "1",
                             "mousemove", QString::number(grab.x() + 30), QString::number(grab.y() + 20), "mousemove",
                             QString::number(grab.x() + 60), QString::number(grab.y() + 40), "mouseup", "1"}));
        EXPECT_TRUE(processUntil([&] { return windowPosition(face) == install.origin + QPoint(60, 40); }));
        EXPECT_TRUE(processUntil([&] { return windowPosition(list) == install.origin + QPoint(400, 40); }))
            << windowPosition(list).x() << "," << windowPosition(list).y();

        // Moved by the listener, below the face: its new place.
        ASSERT_TRUE(runTool("xdotool", {"windowmove", "--sync", list, "100", "200"}));
        ASSERT_TRUE(processUntil([&] { return windowPosition(list) == QPoint(100, 200); }));
        ASSERT_TRUE(runTool("xdotool", {"windowfocus", "--sync", face, "key", "Escape"}));
        ASSERT_TRUE(player.waitForFinished(20000));
    }
    const IniFile settings(install.settings);
    EXPECT_EQ(settings.read("Playlist", "x"), "0");
    EXPECT_EQ(settings.read("Playlist", "y"), "130");
    EXPECT_EQ(settings.read("Playlist", "Shown"), "1");

    // The next start: the face where it was left, the list where the listener put it.
    QProcess& again = install.start({});
    ASSERT_FALSE(playerWindow().isEmpty());
    const QString list = playlistWindow();
    ASSERT_FALSE(list.isEmpty());
    EXPECT_TRUE(processUntil([&] { return windowPosition(list) == QPoint(100, 200); }))
        << windowPosition(list).x() << "," << windowPosition(list).y();
    ASSERT_TRUE(runTool("xdotool", {"windowfocus", "--sync", playerWindow(), "key", "Escape"}));
    ASSERT_TRUE(again.waitForFinished(20000));
}
