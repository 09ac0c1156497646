// What a listener reaches beside the buttons, on the real window offscreen:
// the keys, the wheel and the volume it sets, a drop of files, the buttons'
// tool tips and the title line's, from the song's tags.
#include <gtest/gtest.h>

#include <QDropEvent>
#include <QMimeData>
#include <QToolTip>
#include <QUrl>
#include <QWheelEvent>
#include <fstream>

#include "Buttons.h"
#include "Skin.h"
#include "Id3Tag.h"
#include "ShellTestSupport.h"
#include "SongTags.h"
#include "SongToolTip.h"

namespace {

const SkinRect pauseRect{32, 74, 12, 10};
const QPoint titlePoint(40, 20);

double secondsHeard(ShellFixture& shell)
{
    return static_cast<double>(shell.heardFrame()) / 44100.0;
}

void turnWheel(MainWindow& window, int eighthsOfDegrees)
{
    QWheelEvent wheel(QPointF(titlePoint), QPointF(window.mapToGlobal(titlePoint)), QPoint(),
                      QPoint(0, eighthsOfDegrees), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&window, &wheel);
}

// Offers mime data to the window as a drag over titlePoint and drops it;
// true when the window took it.
bool drop(MainWindow& window, QMimeData& data)
{
    QDragEnterEvent enter(titlePoint, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent dropped(QPointF(titlePoint), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &dropped);
    return dropped.isAccepted();
}

std::string fileUrl(const std::string& path)
{
    return QUrl::fromLocalFile(QString::fromStdString(path)).toString().toStdString();
}

} // namespace

TEST(Keys, SpacePausesAsTheButtonLeftAndRightSeekFiveSecondsCtrlOOpens)
{
    ShellFixture shell;
    shell.settings.putSong(DEMO_SONG);
    MainWindow& window = shell.open();
    auto* pause = shell.controlAt<PauseButton>(pauseRect);
    window.actions().play();
    ASSERT_TRUE(shell.device.waitForQueued(21));
    ASSERT_EQ(shell.device.complete(20), 20);

    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_TRUE(shell.player.isPaused());
    EXPECT_TRUE(pause->looksPressed());
    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_FALSE(shell.player.isPaused());
    EXPECT_FALSE(pause->looksPressed());
    // A key held down repeats: the pause does not flicker with it.
    QKeyEvent repeated(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", true);
    QApplication::sendEvent(&window, &repeated);
    EXPECT_FALSE(shell.player.isPaused());

    const double before = secondsHeard(shell);
    QTest::keyClick(&window, Qt::Key_Right);
    ASSERT_TRUE(shell.waitForResets(1));
    // The song's length is known in whole seconds: a seek lands within one
    // block of where it was aimed.
    EXPECT_NEAR(secondsHeard(shell), before + 5.0, 0.2);
    QTest::keyClick(&window, Qt::Key_Left);
    ASSERT_TRUE(shell.waitForResets(2));
    EXPECT_NEAR(secondsHeard(shell), before, 0.2);
    // Back past the start: the song plays from its very start.
    QTest::keyClick(&window, Qt::Key_Left);
    ASSERT_TRUE(shell.waitForResets(3));
    EXPECT_EQ(shell.heardFrame(), 0u);

    shell.dialogs.songAnswer = {testSong("stereo-128.mp3")};
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(shell.settings.getSong(), testSong("stereo-128.mp3"));
    EXPECT_EQ(shell.dialogs.lastSongShown, DEMO_SONG);
    EXPECT_TRUE(processUntil([&] { return shell.device.opens() == 2; }));
    // The letter alone opens nothing.
    shell.dialogs.lastSongShown.clear();
    QTest::keyClick(&window, Qt::Key_O);
    EXPECT_TRUE(shell.dialogs.lastSongShown.empty());
}

TEST(Volume, UpDownAndTheWheelStepByFiveShowItForASecondAndRememberIt)
{
    ShellFixture shell;
    MainWindow& window = shell.open();
    window.setTitle("/music/Blue Song.mp3");
    EXPECT_EQ(window.actions().volume(), 100);
    EXPECT_EQ(shell.device.gain(), 1.0f);

    QTest::keyClick(&window, Qt::Key_Up); // already at the top
    EXPECT_EQ(window.actions().volume(), 100);
    EXPECT_EQ(window.shownTitleText(), "Volume 100 %");
    QTest::keyClick(&window, Qt::Key_Down);
    QTest::keyClick(&window, Qt::Key_Down);
    EXPECT_EQ(window.shownTitleText(), "Volume 90 %");
    EXPECT_FLOAT_EQ(shell.device.gain(), 0.9f * 0.9f * 0.9f);

    // Half notches add up to a step. (A wheel turned over a button reaches
    // the face too: the real program's test turns it there.)
    turnWheel(window, -120 * 3);
    EXPECT_EQ(window.actions().volume(), 75);
    turnWheel(window, 60);
    EXPECT_EQ(window.actions().volume(), 75);
    turnWheel(window, 60);
    EXPECT_EQ(window.actions().volume(), 80);
    EXPECT_EQ(window.shownTitleText(), "Volume 80 %");
    for (int i = 0; i < 30; ++i) QTest::keyClick(&window, Qt::Key_Down);
    EXPECT_EQ(window.actions().volume(), 0);
    EXPECT_EQ(shell.device.gain(), 0.0f);
    EXPECT_TRUE(processUntil([&] { return shell.settings.getVolume() == 0; }));
    QTest::keyClick(&window, Qt::Key_Up);
    QElapsedTimer shown;
    shown.start();
    EXPECT_TRUE(processUntil([&] { return shell.settings.getString("Volume") == "5"; }));

    EXPECT_TRUE(processUntil([&] { return window.shownTitleText() == "Blue Song"; }, std::chrono::seconds(3)));
    EXPECT_GT(shown.elapsed(), 800);
}

TEST(Volume, IsReadFromTheSettingsAtTheStartAndABadValueReadsAsFull)
{
    ShellFixture shell;
    for (const auto& [text, volume] : std::vector<std::pair<std::string, int>>{{"40", 40},
                                                                               {" 7 ", 7},
                                                                               {"0", 0},
                                                                               {"100", 100},
                                                                               {"", 100},
                                                                               {"101", 100},
                                                                               {"-5", 100},
                                                                               {"50x", 100},
                                                                               {"loud", 100},
                                                                               {"99999999999", 100}}) {
        shell.settings.putString("Volume", text);
        EXPECT_EQ(shell.settings.getVolume(), volume) << text;
    }
    shell.settings.putString("Volume", "40");
    MainWindow& window = shell.open();
    EXPECT_EQ(window.actions().volume(), 40);
    EXPECT_FLOAT_EQ(shell.device.gain(), 0.064f);
}

TEST(Drop, ASongListOrFolderDroppedPlaysAsOpenDoes)
{
    ShellFixture shell;
    MainWindow& window = shell.open();
    const std::string first = testSong("stereo-128.mp3");
    // Several play as one list (SeveralSongs.*), the first remembered.
    QMimeData twoFiles;
    twoFiles.setUrls({QUrl::fromLocalFile(QString::fromStdString(first)),
                      QUrl::fromLocalFile(QString::fromStdString(testSong("joint-128.mp3")))});
    EXPECT_TRUE(drop(window, twoFiles));
    EXPECT_EQ(shell.settings.getSong(), first);
    EXPECT_TRUE(shell.player.isRunning());
    EXPECT_TRUE(shell.device.waitForWrites(1));

    // A list, as a file URL in text; a path in text.
    const std::string list = shell.folder.write("Two songs.m3u", first + "\n");
    QMimeData urlText;
    urlText.setText(QString::fromStdString(fileUrl(list) + "\n"));
    EXPECT_TRUE(drop(window, urlText));
    EXPECT_EQ(shell.settings.getSong(), list);
    QMimeData pathText;
    pathText.setText(QString::fromStdString(first));
    EXPECT_TRUE(drop(window, pathText));
    EXPECT_EQ(shell.settings.getSong(), first);

    // Nothing that Open or Open Folder... could not choose is taken.
    QMimeData remote;
    remote.setUrls({QUrl("https://example.org/song.mp3")});
    QMimeData missing;
    missing.setText(QString::fromStdString(shell.folder.file("missing.mp3")));
    QMimeData relative;
    relative.setText("stereo-128.mp3");
    QMimeData device;
    device.setText("/dev/null");
    for (QMimeData* refused : {&remote, &missing, &relative, &device}) EXPECT_FALSE(drop(window, *refused));
    EXPECT_EQ(shell.settings.getSong(), first);

    // A folder plays its songs.
    QMimeData folder;
    folder.setUrls({QUrl::fromLocalFile(QString::fromStdString(shell.folder.path()))});
    EXPECT_TRUE(drop(window, folder));
    EXPECT_EQ(shell.settings.getSong(), shell.folder.path());
}

TEST(ToolTips, TheButtonsAreNamedAndTheTitleLineNamesTheSongFromItsTags)
{
    ShellFixture shell;
    MainWindow& window = shell.open();
    const std::vector<std::pair<SkinRect, const char*>> buttons = {
        {{4, 4, 10, 8}, "About"},   {{90, 4, 10, 8}, "Minimize"}, {{104, 4, 10, 8}, "Quit"},
        {{4, 74, 12, 10}, "Prev"},  {{18, 74, 12, 10}, "Stop"},   {pauseRect, "Pause"},
        {{46, 74, 12, 10}, "Play"}, {{60, 74, 12, 10}, "Next"},   {{74, 74, 12, 10}, "Open"}};
    for (const auto& [rect, name] : buttons) EXPECT_EQ(shell.controlAt<MainWindowButton>(rect)->toolTip(), name);

    using namespace tagbytes;
    std::ifstream song(testSong("stereo-128.mp3"), std::ios::binary);
    const std::string audio((std::istreambuf_iterator<char>(song)), std::istreambuf_iterator<char>());
    const std::string tagged = shell.folder.write(
        "Tagged.mp3", id3v2Tag(3, id3Frame(3, "TIT2", textData(0, "Song")) + id3Frame(3, "TPE1", textData(0, "Band")) +
                                      id3Frame(3, "TALB", textData(0, "Record"))) +
                          audio);
    window.setTitle(tagged);
    EXPECT_EQ(window.titleText(), "Tagged");
    EXPECT_EQ(window.titleToolTip(), "Band - Song (Record)");

    QHelpEvent overTitle(QEvent::ToolTip, titlePoint, window.mapToGlobal(titlePoint));
    QApplication::sendEvent(&window, &overTitle);
    EXPECT_TRUE(processUntil([] { return QToolTip::text() == "Band - Song (Record)"; }, std::chrono::seconds(2)));
    // Without tags there is no tool tip.
    window.setTitle(testSong("stereo-128.mp3"));
    EXPECT_EQ(window.titleToolTip(), "");
    QToolTip::hideText();
}

TEST(ToolTips, ThePartsTheTagsLackAreLeftOut)
{
    using songtags::SongTags;
    EXPECT_EQ(songToolTip(SongTags{"Song", "Band", "Record"}), "Band - Song (Record)");
    EXPECT_EQ(songToolTip(SongTags{"Song", "", "Record"}), "Song (Record)");
    EXPECT_EQ(songToolTip(SongTags{"", "Band", "Record"}), "Band (Record)");
    EXPECT_EQ(songToolTip(SongTags{"Song", "Band", ""}), "Band - Song");
    EXPECT_EQ(songToolTip(SongTags{"", "", "Record"}), "Record");
    EXPECT_EQ(songToolTip(SongTags{"Caf\xC3\xA9", "", ""}), QString::fromUtf8("Caf\xC3\xA9"));
    EXPECT_EQ(songToolTip(SongTags{}), "");
}

TEST(Keys, RightPastTheEndOfTheSongHeardPlaysTheNextEntryFromItsStart)
{
    // Two 1 s songs and the demo song: all of the first two are queued, and
    // the demo song is being decoded, while the first is heard.
    ShellFixture shell;
    const std::string first = testSong("joint-128.mp3");
    const std::string second = testSong("stereo-128.mp3");
    const std::string given = shell.folder.write("three.m3u", first + "\n" + second + "\n" + DEMO_SONG + "\n");
    shell.settings.putSong(given);
    MainWindow& window = shell.open();
    window.actions().play();
    ASSERT_TRUE(shell.device.waitForQueued(64, std::chrono::seconds(30)));
    ASSERT_EQ(shell.device.complete(2), 2);
    ASSERT_EQ(shell.player.audible().path, first);

    QTest::keyClick(&window, Qt::Key_Right);
    ASSERT_TRUE(shell.waitForResets(1));
    EXPECT_EQ(shell.player.audible().path, second);
    EXPECT_EQ(shell.heardFrame(), 0u);
    EXPECT_TRUE(processUntil([&] { return window.titleText() == "stereo-128"; }));
    EXPECT_EQ(window.timeReadout().text(), "00:00");
}

TEST(StoppedList, NextAndPrevShowTheNeighbouringEntryAndPlayPlaysIt)
{
    ShellFixture shell;
    const std::string first = testSong("joint-128.mp3");
    const std::string second = testSong("stereo-128.mp3");
    const std::string given = shell.folder.write("three.m3u", first + "\n" + second + "\n" + DEMO_SONG + "\n");
    shell.settings.putSong(given);
    MainWindow& window = shell.open();
    window.actions().play();
    ASSERT_TRUE(shell.device.waitForQueued(4));
    window.actions().stop();
    EXPECT_TRUE(processUntil([&] { return window.titleText() == "joint-128"; }));

    window.actions().next();
    EXPECT_TRUE(processUntil([&] { return window.titleText() == "stereo-128"; }));
    window.actions().previous();
    window.actions().previous(); // from the first entry to the last
    EXPECT_TRUE(processUntil([&] { return window.titleText() == "demo"; }));
    EXPECT_FALSE(shell.player.isRunning());

    window.actions().play();
    ASSERT_TRUE(shell.device.waitForQueued(4));
    EXPECT_EQ(shell.player.audible().path, DEMO_SONG);
    EXPECT_GT(shell.player.audible().lengthSeconds, 20);
}
