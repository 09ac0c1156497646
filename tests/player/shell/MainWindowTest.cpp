// The main window on the test skin: buttons and their looks, the actions,
// quitting, dragging, and where the window opens.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <sys/stat.h>

#include "AboutWindow.h"
#include "Buttons.h"
#include "ShellTestSupport.h"
#include "Skin.h"

namespace {

const SkinRect playRect{46, 74, 12, 10};
const SkinRect pauseRect{32, 74, 12, 10};
const SkinRect stopRect{18, 74, 12, 10};
const SkinRect aboutRect{4, 4, 10, 8};
const SkinRect quitRect{104, 4, 10, 8};
const SkinRect openRect{74, 74, 12, 10};
const SkinRect nextRect{60, 74, 12, 10};
const SkinRect timeRect{4, 28, 46, 12};

int openAboutWindows()
{
    int count = 0;
    for (QWidget* window : QApplication::topLevelWidgets())
        count += window->objectName() == "SonorboxAbout" && window->isVisible();
    return count;
}

} // namespace

TEST(MainWindow, IsBuiltFromTheSkinWithItsControlsAndFirstTexts)
{
    ShellFixture shell;
    MainWindow& window = shell.open();
    EXPECT_EQ(window.objectName(), "Sonorbox MP3");
    EXPECT_EQ(window.windowTitle(), "Sonorbox 0.82a");
    EXPECT_EQ(window.size(), QSize(120, 90));
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_NE(shell.controlAt<PlayButton>(playRect), nullptr);
    EXPECT_NE(shell.controlAt<QuitButton>(quitRect), nullptr);
    EXPECT_EQ(shell.controlAt<PlayButton>(playRect)->geometry(), QRect(46, 74, 12, 10));
    EXPECT_EQ(window.timeReadout().text(), "00:00");
    EXPECT_EQ(window.sampleRateReadout().text(), "00");
    EXPECT_EQ(window.bitrateReadout().text(), "000");
    // The start-up picture is gone once the window shows.
    EXPECT_EQ(openAboutWindows(), 0);
}

TEST(Buttons, LookPressedWhileHeldAndActOnlyOnAReleaseInside)
{
    ShellFixture shell;
    shell.settings.putSong(testSong("stereo-128.mp3"));
    shell.open();
    auto* play = shell.controlAt<PlayButton>(playRect);
    ASSERT_NE(play, nullptr);

    QTest::mousePress(play, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_TRUE(play->looksPressed());
    QTest::mouseRelease(play, Qt::LeftButton, {}, QPoint(13, 2)); // one pixel past the right edge
    EXPECT_FALSE(play->looksPressed());
    EXPECT_FALSE(shell.player.isRunning());

    shell.click(play, QPoint(2, 11)); // one pixel below
    EXPECT_FALSE(shell.player.isRunning());

    shell.click(play, QPoint(12, 10)); // the right and bottom edges count as inside
    EXPECT_TRUE(shell.player.isRunning());
    EXPECT_TRUE(shell.device.waitForWrites(1));
}

TEST(Buttons, PlayDoesNothingWithoutAPlayableSong)
{
    ShellFixture shell;
    shell.open();
    shell.click(shell.controlAt<PlayButton>(playRect));
    EXPECT_FALSE(shell.player.isRunning());
    shell.settings.putSong(shell.folder.file("gone.mp3"));
    shell.click(shell.controlAt<PlayButton>(playRect));
    EXPECT_FALSE(shell.player.isRunning());
    // A pipe would keep the opening waiting for a writer; a device is no
    // song (a folder is: Folders tests it).
    const std::string pipe = shell.folder.file("pipe.mp3");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path : {pipe, std::string("/dev/null")}) {
        shell.settings.putSong(path);
        shell.click(shell.controlAt<PlayButton>(playRect));
        EXPECT_FALSE(shell.player.isRunning()) << path;
    }
    EXPECT_TRUE(shell.messages.messages().empty());
}

TEST(Buttons, OpenPlaysAndStoresTheChosenSongAndCancelChangesNothing)
{
    ShellFixture shell;
    shell.settings.putSong(testSong("joint-128.mp3"));
    shell.open();
    auto* open = shell.controlAt<OpenButton>(openRect);
    shell.click(open);
    EXPECT_EQ(shell.dialogs.lastSongShown, testSong("joint-128.mp3"));
    EXPECT_FALSE(shell.player.isRunning());

    shell.dialogs.songAnswer = {testSong("stereo-128.mp3")};
    shell.click(open);
    EXPECT_EQ(shell.settings.getSong(), testSong("stereo-128.mp3"));
    EXPECT_TRUE(shell.player.isRunning());
}

TEST(Buttons, NextWhileNothingPlaysChangesNothingAtTheNextPlay)
{
    ShellFixture shell;
    shell.settings.putSong(testSong("stereo-128.mp3"));
    shell.open();
    shell.click(shell.controlAt<NextButton>(nextRect));
    shell.click(shell.controlAt<PlayButton>(playRect));
    // Next only asks; Play starts at the entry it chose (the engine's part:
    // PlayerTest.StopWithoutAPlayerReturnsAtOnceAndRequestsWaitForNoOne).
    // With nothing opened since the start, the engine's list is empty and
    // the "song" setting plays.
    using Kind = RecordingRequests::Kind;
    EXPECT_EQ(shell.requests.kindsAsked(), (std::vector{Kind::next, Kind::startOnList, Kind::start}));
    EXPECT_EQ(shell.requests.asked().back().path, testSong("stereo-128.mp3"));
    EXPECT_EQ(shell.requests.asked().back().at, StartAt::chosenEntry);
    EXPECT_TRUE(shell.player.isRunning());
}

TEST(Buttons, PauseStaysDownWhilePausedPlayGoesOnWhereItWasAndStopEndsThePause)
{
    ShellFixture shell;
    shell.settings.putSong(DEMO_SONG);
    shell.open();
    auto* pause = shell.controlAt<PauseButton>(pauseRect);
    auto* play = shell.controlAt<PlayButton>(playRect);
    shell.click(pause); // nothing plays: nothing to pause
    EXPECT_FALSE(shell.player.isPaused());
    EXPECT_FALSE(pause->looksPressed());

    shell.click(play);
    // One block is left queued, to be heard after the pause.
    ASSERT_TRUE(shell.device.waitForQueued(21));
    EXPECT_EQ(shell.device.complete(20), 20);
    const auto frames = shell.heardFrame();
    shell.click(pause);
    EXPECT_TRUE(shell.player.isPaused());
    EXPECT_TRUE(pause->looksPressed());
    shell.click(pause);
    EXPECT_FALSE(shell.player.isPaused());
    EXPECT_FALSE(pause->looksPressed());

    // Play while paused: the same player goes on, from where it was.
    shell.click(pause);
    shell.click(play);
    EXPECT_FALSE(shell.player.isPaused());
    EXPECT_FALSE(pause->looksPressed());
    EXPECT_FALSE(shell.device.isPaused());
    EXPECT_EQ(shell.device.opens(), 1);
    EXPECT_EQ(shell.device.resets(), 0);
    EXPECT_EQ(shell.heardFrame(), frames);
    EXPECT_EQ(shell.device.complete(1), 1);
    EXPECT_EQ(shell.heardFrame(), frames + 4096u);

    shell.click(pause);
    shell.click(shell.controlAt<StopButton>(stopRect));
    EXPECT_FALSE(shell.player.isPaused());
    EXPECT_TRUE(processUntil([&] { return !pause->looksPressed(); }));
    EXPECT_FALSE(shell.player.isRunning());

    // Playing again after a stop starts the song anew.
    shell.click(play);
    EXPECT_TRUE(shell.device.waitForQueued(1));
    EXPECT_EQ(shell.device.opens(), 2);
}

TEST(Buttons, NextWhilePausedEndsThePause)
{
    ShellFixture shell;
    shell.settings.putSong(DEMO_SONG);
    shell.open();
    auto* pause = shell.controlAt<PauseButton>(pauseRect);
    shell.click(shell.controlAt<PlayButton>(playRect));
    shell.click(pause);
    ASSERT_TRUE(pause->looksPressed());
    shell.click(shell.controlAt<NextButton>(nextRect));
    EXPECT_FALSE(shell.player.isPaused());
    EXPECT_FALSE(pause->looksPressed());
}

TEST(MainWindow, APathOnTheCommandLineThatGivesNothingToPlayIsSaidSo)
{
    ShellFixture shell;
    const std::string gone = shell.folder.file("gone.mp3");
    shell.open(gone);
    EXPECT_EQ(shell.settings.getSong(), gone);
    ASSERT_TRUE(processUntil([&] { return !shell.player.isRunning(); }));
    auto shown = shell.messages.messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Application Error");
    EXPECT_EQ(shown[0].text, "Could not play any song of: " + gone);
}

TEST(AboutButton, OpensOneAboutWindowThatAReleaseCloses)
{
    ShellFixture shell;
    shell.open();
    auto* about = shell.controlAt<AboutButton>(aboutRect);
    shell.click(about);
    ASSERT_EQ(openAboutWindows(), 1);
    shell.click(about);
    EXPECT_EQ(openAboutWindows(), 1);

    AboutWindow* window = AboutWindow::findOpen();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "About Sonorbox");
    EXPECT_EQ(window->size(), QSize(64, 48));
    EXPECT_TRUE(window->windowFlags() & Qt::Tool); // no task-bar entry
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(openAboutWindows(), 1); // a press alone does not close it
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(processUntil([] { return AboutWindow::findOpen() == nullptr; }));
    shell.click(about);
    EXPECT_EQ(openAboutWindows(), 1);
    AboutWindow::findOpen()->close();
    processUntil([] { return AboutWindow::findOpen() == nullptr; });
}

TEST(Quitting, QuitAsksAboutTheSkinAndSavesThePosition)
{
    for (MessageAnswer answer : {MessageAnswer::no, MessageAnswer::yes}) {
        ShellFixture shell;
        shell.open().move(-30, 25);
        shell.messages.setAnswer(answer);
        shell.click(shell.controlAt<QuitButton>(quitRect));
        auto asked = shell.messages.messages();
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].caption, "Skin settings");
        EXPECT_EQ(asked[0].text, "Do you want to change skins the next time you start Sonorbox?");
        EXPECT_EQ(asked[0].buttons, MessageButtons::yesNo);
        EXPECT_EQ(asked[0].icon, MessageIcon::question);
        // Yes empties the key but keeps it in the file.
        const auto skin = IniFile(shell.settingsFile).read("Sonorbox", "skin");
        EXPECT_EQ(skin, answer == MessageAnswer::yes ? "" : testSkin("Vertical"));
        EXPECT_EQ(shell.position.readX(), -30);
        EXPECT_EQ(shell.position.readY(), 25);
    }
}

TEST(Quitting, EscapeQuitsWithoutTheQuestionAndStopsThePlayer)
{
    ShellFixture shell;
    shell.settings.putSong(testSong("stereo-128.mp3"));
    MainWindow& window = shell.open();
    window.move(40, 7);
    shell.click(shell.controlAt<PlayButton>(playRect));
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(shell.messages.messages().empty());
    EXPECT_FALSE(shell.player.isRunning());
    EXPECT_EQ(shell.position.readX(), 40);
    EXPECT_EQ(shell.position.readY(), 7);
    EXPECT_EQ(shell.settings.getSkin(), testSkin("Vertical"));
}

TEST(Dragging, TheGrabbedPointStaysUnderTheMouseAlsoLeftOfAndAboveTheWindow)
{
    ShellFixture shell;
    MainWindow& window = shell.open();
    window.move(300, 200);
    window.onLeftButtonDown(30, 55, Qt::LeftButton);
    window.onMouseMove(-20, -10, Qt::LeftButton); // the mouse is now at (280, 190)
    EXPECT_EQ(window.pos(), QPoint(250, 135));
    window.onMouseMove(40, 60, Qt::LeftButton); // at (290, 195)
    EXPECT_EQ(window.pos(), QPoint(260, 140));
    window.onLeftButtonUp(40, 60, Qt::NoButton);
    window.onMouseMove(0, 0, Qt::NoButton);
    EXPECT_EQ(window.pos(), QPoint(260, 140));
}

TEST(Dragging, APressOnAControlStartsNoDragButOneOnTheFaceDoes)
{
    ShellFixture shell;
    MainWindow& window = shell.open();
    QTest::mousePress(shell.controlAt<SkinLabel>(timeRect), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_FALSE(window.isDragging());
    QTest::mouseRelease(shell.controlAt<SkinLabel>(timeRect), Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(30, 55));
    EXPECT_TRUE(window.isDragging());
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(30, 55));
    EXPECT_FALSE(window.isDragging());
}

TEST(WindowPlace, ASavedPlaceWhollyOffEveryScreenIsNotRestored)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    {
        ShellFixture shell;
        shell.position.writeX(-50);
        shell.position.writeY(-20);
        EXPECT_EQ(shell.open().pos(), QPoint(-50, -20)); // partly on the screen
    }
    {
        ShellFixture shell;
        shell.position.writeX(screen.right() + 500);
        shell.position.writeY(-20);
        EXPECT_EQ(shell.open().pos(), screen.topLeft());
    }
    {
        ShellFixture shell; // no saved place: the top-left corner
        EXPECT_EQ(shell.open().pos(), QPoint(0, 0));
    }
}
