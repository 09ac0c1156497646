// What the face's menu does to the list the engine plays: Add Files... and
// Add Folder... join its end without interrupting it, Repeat and Shuffle are
// asked of the engine, shown checked and remembered, and reach the engine
// again at the next start before anything plays; several songs opened or
// dropped play as one list. The real engine plays on the test device.
#include <gtest/gtest.h>

#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <filesystem>
#include <set>
#include <tuple>

#include "MenuItems.h"
#include "ShellTestSupport.h"

namespace {

using Kind = RecordingRequests::Kind;

// Two 1 s songs.
const std::string first = testSong("joint-128.mp3");
const std::string second = testSong("stereo-128.mp3");

// The face's menu, opened.
QMenu& openMenu(MainWindow& window)
{
    window.faceMenu().popup(window.mapToGlobal(QPoint(0, 0)));
    return *window.faceMenu().menu();
}

void choose(MainWindow& window, const QString& text)
{
    QMenu& menu = openMenu(window);
    QAction* chosen = item(menu, text);
    ASSERT_NE(chosen, nullptr) << text.toStdString();
    chosen->trigger();
    menu.hide();
}

void chooseRepeat(MainWindow& window, const QString& mode)
{
    QMenu& menu = openMenu(window);
    QMenu* repeat = item(menu, "Repeat")->menu();
    ASSERT_NE(repeat, nullptr);
    item(*repeat, mode)->trigger();
    menu.hide();
}

// The modes the Repeat sub-menu shows checked, and whether Shuffle is.
QStringList repeatShown(MainWindow& window)
{
    QMenu& menu = openMenu(window);
    const QStringList checked = checkedTexts(*item(menu, "Repeat")->menu());
    menu.hide();
    return checked;
}

bool shuffleShown(MainWindow& window)
{
    QMenu& menu = openMenu(window);
    const bool checked = item(menu, "Shuffle")->isChecked();
    menu.hide();
    return checked;
}

std::string heard(ShellFixture& shell)
{
    return shell.player.audible().path;
}

} // namespace

TEST(AddToList, AddFilesAndAddFolderJoinTheListThatPlaysWithoutInterruptingIt)
{
    ShellFixture shell;
    TempFolder music;
    std::filesystem::copy_file(first, music.file("2 a.mp3"));
    std::filesystem::copy_file(second, music.file("10 b.mp3"));
    MainWindow& window = shell.open();
    window.actions().playPath(DEMO_SONG);
    // The player thread has read its list: edits now go to the list it plays.
    ASSERT_TRUE(shell.device.waitForWrites(2));
    const int resets = shell.device.resets();
    const std::size_t asked = shell.requests.asked().size();

    // Cancelled, both change nothing.
    choose(window, "Add Files...");
    choose(window, "Add Folder...");
    EXPECT_EQ(shell.requests.asked().size(), asked);

    shell.dialogs.songAnswer = {first, second};
    choose(window, "Add Files...");
    EXPECT_EQ(shell.dialogs.lastPurpose, FileDialogs::Purpose::add);
    ASSERT_EQ(shell.requests.asked().size(), asked + 1);
    EXPECT_EQ(shell.requests.asked().back().kind, Kind::add);
    EXPECT_EQ(shell.requests.asked().back().paths, (std::vector<std::string>{first, second}));
    shell.dialogs.lastPurpose.reset();
    shell.dialogs.folderAnswer = music.path();
    choose(window, "Add Folder...");
    EXPECT_EQ(shell.dialogs.lastPurpose, FileDialogs::Purpose::add);
    EXPECT_EQ(shell.requests.asked().back().kind, Kind::add);
    EXPECT_EQ(shell.requests.asked().back().paths, std::vector<std::string>{music.path()});

    const ListSnapshot list = shell.player.listSnapshot();
    EXPECT_EQ(list.paths,
              (std::vector<std::string>{DEMO_SONG, first, second, music.file("2 a.mp3"), music.file("10 b.mp3")}));
    EXPECT_EQ(list.heardIndex, 0);
    // What plays goes on: the device was not reset, and the "song" is what
    // was opened.
    EXPECT_EQ(shell.device.resets(), resets);
    EXPECT_EQ(shell.device.opens(), 1);
    EXPECT_TRUE(shell.player.isRunning());
    EXPECT_EQ(heard(shell), DEMO_SONG);
    EXPECT_EQ(shell.settings.getSong(), DEMO_SONG);
    EXPECT_TRUE(shell.messages.messages().empty());
}

TEST(AddToList, WhileNothingPlaysTheSongsAddedAreWhatPlayPlays)
{
    ShellFixture shell;
    shell.settings.putSong(DEMO_SONG);
    MainWindow& window = shell.open();
    shell.dialogs.songAnswer = {first, second};
    choose(window, "Add Files...");
    EXPECT_FALSE(shell.player.isRunning());
    EXPECT_EQ(shell.player.listSnapshot().paths, (std::vector<std::string>{first, second}));

    window.actions().play();
    EXPECT_EQ(shell.requests.kindsAsked(), (std::vector{Kind::add, Kind::startOnList}));
    EXPECT_TRUE(shell.player.isRunning());
    EXPECT_TRUE(processUntil([&] { return heard(shell) == first; }));
    EXPECT_EQ(shell.player.listSnapshot().paths, (std::vector<std::string>{first, second}));
    // Adding opens nothing: the "song" stays what was opened last.
    EXPECT_EQ(shell.settings.getSong(), DEMO_SONG);
}

TEST(RepeatAndShuffle, TheMenuAsksTheEngineShowsTheModeCheckedAndRemembersIt)
{
    ShellFixture shell;
    MainWindow& window = shell.open();
    {
        QMenu& menu = openMenu(window);
        ASSERT_NE(item(menu, "Repeat"), nullptr);
        EXPECT_EQ(itemTexts(*item(menu, "Repeat")->menu()), QStringList({"List", "Song", "Off"}));
        EXPECT_TRUE(item(menu, "Shuffle")->isCheckable());
        menu.hide();
    }
    EXPECT_EQ(repeatShown(window), QStringList{"List"});
    EXPECT_FALSE(shuffleShown(window));

    for (const auto& [text, mode, written] :
         {std::tuple{"Off", Repeat::off, "Off"}, {"Song", Repeat::song, "Song"}, {"List", Repeat::list, "List"}}) {
        chooseRepeat(window, text);
        ASSERT_FALSE(shell.requests.asked().empty());
        EXPECT_EQ(shell.requests.asked().back().kind, Kind::repeat) << text;
        EXPECT_EQ(shell.requests.asked().back().repeat, mode) << text;
        EXPECT_EQ(shell.player.repeat(), mode) << text;
        EXPECT_EQ(IniFile(shell.settingsFile).read("Sonorbox", "Repeat"), written);
        // One mode checked: the one set.
        EXPECT_EQ(repeatShown(window), QStringList{text});
    }

    for (const bool on : {true, false}) {
        choose(window, "Shuffle");
        EXPECT_EQ(shell.requests.asked().back().kind, Kind::shuffle);
        EXPECT_EQ(shell.requests.asked().back().shuffle, on);
        EXPECT_EQ(shell.player.shuffle(), on);
        EXPECT_EQ(IniFile(shell.settingsFile).read("Sonorbox", "Shuffle"), on ? "1" : "0");
        EXPECT_EQ(shuffleShown(window), on);
    }
}

TEST(RepeatAndShuffle, WhatWasRememberedReachesTheEngineBeforeTheFirstSongPlays)
{
    ShellFixture shell;
    shell.settings.putString("Repeat", "Song");
    shell.settings.putString("Shuffle", "1");
    MainWindow& window = shell.open(first);
    const auto& asked = shell.requests.asked();
    ASSERT_EQ(shell.requests.kindsAsked(), (std::vector{Kind::repeat, Kind::shuffle, Kind::start}));
    EXPECT_EQ(asked[0].repeat, Repeat::song);
    EXPECT_TRUE(asked[1].shuffle);
    EXPECT_EQ(shell.player.repeat(), Repeat::song);
    EXPECT_TRUE(shell.player.shuffle());
    EXPECT_EQ(repeatShown(window), QStringList{"Song"});
    EXPECT_TRUE(shuffleShown(window));

    // Unreadable values are the first behaviour, which the engine has
    // already: nothing is asked but the song.
    ShellFixture unreadable;
    unreadable.settings.putString("Repeat", "Sometimes");
    unreadable.settings.putString("Shuffle", "yes");
    MainWindow& again = unreadable.open(first);
    EXPECT_EQ(unreadable.requests.kindsAsked(), std::vector{Kind::start});
    EXPECT_EQ(unreadable.player.repeat(), Repeat::list);
    EXPECT_FALSE(unreadable.player.shuffle());
    EXPECT_EQ(repeatShown(again), QStringList{"List"});
    EXPECT_FALSE(shuffleShown(again));
}

TEST(RepeatAndShuffle, RepeatOffStopsThePlayerOnceTheLastSongWasHeard)
{
    ShellFixture shell;
    MainWindow& window = shell.open();
    chooseRepeat(window, "Off");
    shell.device.setFlowing(true);
    window.actions().playPath(shell.folder.write("Two songs.m3u", first + "\n" + second + "\n"));
    EXPECT_TRUE(processUntil([&] { return !shell.player.isRunning(); }));
    EXPECT_EQ(heard(shell), second);
    EXPECT_FALSE(shell.device.isOpen());
    EXPECT_TRUE(shell.messages.messages().empty());

    // Played again with List, the list goes round.
    chooseRepeat(window, "List");
    window.actions().play();
    EXPECT_TRUE(processUntil([&] { return shell.device.opens() == 2 && heard(shell) == second; }));
    EXPECT_TRUE(processUntil([&] { return heard(shell) == first; }));
    EXPECT_TRUE(shell.player.isRunning());
}

TEST(RepeatAndShuffle, WithShuffleNextHearsEveryEntryOnceARoundAndPrevGoesBack)
{
    ShellFixture shell;
    // Three entries long enough (28 s) to be heard when Next is pressed.
    TempFolder music;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) std::filesystem::copy_file(DEMO_SONG, music.file(name));
    MainWindow& window = shell.open();
    choose(window, "Shuffle");
    window.actions().playPath(music.path());
    ASSERT_TRUE(shell.device.waitForQueued(64));
    std::vector<std::string> order{heard(shell)};
    for (int n = 1; n <= 2; ++n) {
        window.actions().next();
        ASSERT_TRUE(shell.waitForResets(n));
        order.push_back(heard(shell));
    }
    EXPECT_EQ(std::set<std::string>(order.begin(), order.end()),
              (std::set<std::string>{music.file("a.mp3"), music.file("b.mp3"), music.file("c.mp3")}));
    window.actions().previous();
    ASSERT_TRUE(shell.waitForResets(3));
    EXPECT_EQ(heard(shell), order[1]);
}

TEST(SeveralSongs, TheOpenButtonsDialogTakesSeveralThatPlayAsOneListTheFirstRemembered)
{
    ShellFixture shell;
    const std::string list = shell.folder.write("One.m3u", std::string(DEMO_SONG) + "\n");
    MainWindow& window = shell.open();
    shell.dialogs.songAnswer = {first, list, second};
    ShellFixture::click(shell.controlAt<OpenButton>(SkinRect{74, 74, 12, 10}));
    EXPECT_EQ(shell.dialogs.lastPurpose, FileDialogs::Purpose::open);
    ASSERT_FALSE(shell.requests.asked().empty());
    EXPECT_EQ(shell.requests.asked().back().kind, Kind::start);
    EXPECT_EQ(shell.requests.asked().back().paths, (std::vector<std::string>{first, list, second}));
    EXPECT_EQ(shell.settings.getSong(), first);
    ASSERT_TRUE(shell.device.waitForWrites(1));
    EXPECT_EQ(shell.player.listSnapshot().paths, (std::vector<std::string>{first, DEMO_SONG, second}));

    // Open Files... is the same dialog.
    shell.dialogs.songAnswer = {second, first};
    choose(window, "Open Files...");
    EXPECT_EQ(shell.requests.asked().back().paths, (std::vector<std::string>{second, first}));
    EXPECT_EQ(shell.settings.getSong(), second);
    // Once read, stopped, Play plays them all again.
    ASSERT_TRUE(processUntil([&] { return shell.player.listSnapshot().paths.size() == 2; }));
    ASSERT_TRUE(shell.device.waitForWrites(2));
    window.actions().stop();
    window.actions().play();
    EXPECT_TRUE(processUntil([&] { return shell.player.listSnapshot().paths.size() == 2 && heard(shell) == second; }));
    EXPECT_EQ(shell.player.listSnapshot().paths, (std::vector<std::string>{second, first}));
}

TEST(SeveralSongs, SeveralFilesAndFoldersDroppedAllPlayAndTheFirstIsRemembered)
{
    ShellFixture shell;
    TempFolder music;
    std::filesystem::copy_file(second, music.file("b.mp3"));
    MainWindow& window = shell.open();
    QMimeData dropped;
    // What is no local file or folder is passed over.
    dropped.setUrls({QUrl::fromLocalFile(QString::fromStdString(first)), QUrl("https://example.org/song.mp3"),
                     QUrl::fromLocalFile(QString::fromStdString(music.path())),
                     QUrl::fromLocalFile(QString::fromStdString(shell.folder.file("missing.mp3")))});
    const QPoint at(60, 50);
    QDragEnterEvent enter(at, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    EXPECT_TRUE(drop.isAccepted());
    ASSERT_FALSE(shell.requests.asked().empty());
    EXPECT_EQ(shell.requests.asked().back().kind, Kind::start);
    EXPECT_EQ(shell.requests.asked().back().paths, (std::vector<std::string>{first, music.path()}));
    EXPECT_EQ(shell.settings.getSong(), first);
    ASSERT_TRUE(shell.device.waitForWrites(1));
    EXPECT_EQ(shell.player.listSnapshot().paths, (std::vector<std::string>{first, music.file("b.mp3")}));

    // Text dropped names a path or a file URL a line.
    QMimeData text;
    text.setText(QString::fromStdString(second + "\n" + "not a path\n" +
                                        QUrl::fromLocalFile(QString::fromStdString(first)).toString().toStdString()));
    QDragEnterEvent textEnter(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &textEnter);
    ASSERT_TRUE(textEnter.isAccepted());
    QDropEvent textDrop(QPointF(at), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &textDrop);
    EXPECT_EQ(shell.requests.asked().back().paths, (std::vector<std::string>{second, first}));
    EXPECT_EQ(shell.settings.getSong(), second);
}
