// The face's menu and what it opens: its items and how it is opened, a
// folder played, the face kept on top or not, and skins put on while the
// song plays.
#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QMenu>
#include <filesystem>

#include "AboutWindow.h"
#include "FaceMenu.h"
#include "MenuItems.h"
#include "SeekBar.h"
#include "ShellTestSupport.h"
#include "SkinChoice.h"

namespace {

// A skins folder holding copies of the test skin and of the bundled one.
struct SkinsFolder {
    TempFolder folder;
    std::string vertical = folder.file("Vertical/Skin.ini");
    std::string bundled = folder.file("Bundled/Skin.ini");
    SkinsFolder()
    {
        std::filesystem::copy(std::filesystem::path(testSkin("Vertical")).parent_path(), folder.file("Vertical"));
        std::filesystem::copy(DEFAULT_SKIN, folder.file("Bundled"));
        std::filesystem::create_directories(folder.file("Not a skin"));
        std::filesystem::create_directories(folder.file("Broken"));
        folder.write("Broken/skin.ini", "[Coordinates]\n");
    }
};

} // namespace

TEST(FaceMenu, ARightClickTheMenuKeyAndShiftF10OpenTheActions)
{
    ShellFixture shell;
    MainWindow& window = shell.open();
    const QPoint face(110, 50);
    QContextMenuEvent click(QContextMenuEvent::Mouse, face, window.mapToGlobal(face));
    QApplication::sendEvent(&window, &click);
    ASSERT_NE(window.faceMenu().menu(), nullptr);
    EXPECT_TRUE(processUntil([&] { return window.faceMenu().menu()->isVisible(); }));
    EXPECT_EQ(itemTexts(*window.faceMenu().menu()),
              QStringList({"Open Files...", "Open Folder...", "Add Files...", "Add Folder...", "Playlist", "Repeat",
                           "Shuffle", "Equaliser...", "Skins", "Always on Top", "About", "Quit"}));
    EXPECT_EQ(window.faceMenu().menu()->pos(), window.mapToGlobal(face));
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_Menu, Qt::NoModifier}, {Qt::Key_F10, Qt::ShiftModifier}}) {
        window.faceMenu().menu()->hide();
        QMenu* before = window.faceMenu().menu();
        QTest::keyClick(&window, key, modifiers);
        ASSERT_NE(window.faceMenu().menu(), before) << key;
        EXPECT_TRUE(processUntil([&] { return window.faceMenu().menu()->isVisible(); })) << key;
    }
    window.faceMenu().menu()->hide();
}

TEST(FaceMenu, ItsItemsRunTheActionsOfTheButtons)
{
    ShellFixture shell;
    MainWindow& window = shell.open();
    window.faceMenu().popup(window.mapToGlobal(QPoint(0, 0)));
    QMenu& menu = *window.faceMenu().menu();
    // Open Files... is the Open button's dialog.
    shell.dialogs.songAnswer = {testSong("stereo-128.mp3")};
    item(menu, "Open Files...")->trigger();
    EXPECT_EQ(shell.settings.getSong(), testSong("stereo-128.mp3"));
    EXPECT_TRUE(shell.player.isRunning());
    item(menu, "About")->trigger();
    EXPECT_TRUE(processUntil([] { return AboutWindow::findOpen() != nullptr; }));
    delete AboutWindow::findOpen();
    // Quit asks about the skin, as its button does.
    shell.messages.setAnswer(MessageAnswer::no);
    item(menu, "Quit")->trigger();
    ASSERT_EQ(shell.messages.messages().size(), 1u);
    EXPECT_EQ(shell.messages.messages()[0].caption, "Skin settings");
    EXPECT_FALSE(shell.player.isRunning());
    menu.hide();
}

TEST(Folders, OpenFolderPlaysTheFolderAndPlayPlaysItAgainAtTheNextStart)
{
    ShellFixture shell;
    TempFolder music;
    std::filesystem::copy_file(testSong("stereo-128.mp3"), music.file("10 later.mp3"));
    std::filesystem::create_directories(music.file("Sub"));
    std::filesystem::copy_file(testSong("joint-128.mp3"), music.file("Sub/2 first.mp3"));
    MainWindow& window = shell.open();
    shell.dialogs.folderAnswer = std::nullopt; // cancelled: nothing changes
    window.actions().openFolder();
    EXPECT_TRUE(shell.requests.asked().empty());
    shell.dialogs.folderAnswer = music.path();
    window.actions().openFolder();
    EXPECT_EQ(shell.settings.getSong(), music.path());
    ASSERT_FALSE(shell.requests.asked().empty());
    EXPECT_EQ(shell.requests.asked().back().kind, RecordingRequests::Kind::start);
    EXPECT_EQ(shell.requests.asked().back().path, music.path());
    EXPECT_TRUE(shell.device.waitForWrites(1));
    EXPECT_TRUE(shell.messages.messages().empty());

    // Stopped, Play plays the folder's songs again, as the list holds them.
    window.actions().stop();
    window.actions().play();
    EXPECT_EQ(shell.requests.asked().back().kind, RecordingRequests::Kind::startOnList);
    EXPECT_EQ(shell.player.listSnapshot().paths,
              (std::vector<std::string>{music.file("10 later.mp3"), music.file("Sub/2 first.mp3")}));
    EXPECT_TRUE(shell.player.isRunning());

    // At the next start, the list empty, Play plays the folder the setting
    // names.
    ShellFixture next;
    next.settings.putSong(shell.settings.getSong());
    next.open().actions().play();
    EXPECT_EQ(next.requests.asked().back().kind, RecordingRequests::Kind::start);
    EXPECT_EQ(next.requests.asked().back().path, music.path());
    EXPECT_TRUE(next.player.isRunning());
}

TEST(SecondStart, TheWindowComesBackAndAPathWithNothingToPlayLeavesTheSongPlaying)
{
    ShellFixture shell;
    MainWindow& window = shell.open();
    window.actions().playPath(testSong("stereo-128.mp3"));
    window.showMinimized();
    EXPECT_TRUE(processUntil([&] { return window.isMinimized(); }));
    window.onCopyData(std::string());
    EXPECT_TRUE(processUntil([&] { return !window.isMinimized() && window.isVisible(); }));
    EXPECT_EQ(shell.requests.kindsAsked().back(), RecordingRequests::Kind::start);

    const std::string missing = shell.folder.file("missing.mp3");
    window.onCopyData(missing);
    EXPECT_NE(shell.requests.kindsAsked().back(), RecordingRequests::Kind::takeOver);
    EXPECT_TRUE(shell.player.isRunning());
    EXPECT_EQ(shell.settings.getSong(), testSong("stereo-128.mp3"));
    const auto told = shell.messages.messages();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].text, "Could not play any song of: " + missing);
    EXPECT_FALSE(told[0].waited);

    // A folder is taken over.
    TempFolder music;
    std::filesystem::copy_file(testSong("joint-128.mp3"), music.file("a.mp3"));
    window.onCopyData(music.path());
    EXPECT_EQ(shell.requests.asked().back().kind, RecordingRequests::Kind::takeOver);
    EXPECT_EQ(shell.settings.getSong(), music.path());
}

TEST(OnTop, AlwaysOnTopIsRememberedAndAMissingSettingReadsAsOnTop)
{
    ShellFixture shell;
    EXPECT_TRUE(shell.settings.getOnTop());
    MainWindow& window = shell.open();
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    window.move(33, 44);
    window.faceMenu().popup(QPoint(0, 0));
    QAction* onTop = item(*window.faceMenu().menu(), "Always on Top");
    ASSERT_NE(onTop, nullptr);
    EXPECT_TRUE(onTop->isChecked());
    onTop->trigger();
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), QPoint(33, 44));
    EXPECT_EQ(IniFile(shell.settingsFile).read("Sonorbox", "OnTop"), "0");
    window.faceMenu().menu()->hide();

    // The next start keeps it, and the menu shows it.
    shell.player.stopPlayback();
    shell.readouts.setWindow(nullptr);
    shell.window.reset();
    MainWindow& again = shell.open();
    EXPECT_FALSE(again.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    again.faceMenu().popup(QPoint(0, 0));
    EXPECT_FALSE(item(*again.faceMenu().menu(), "Always on Top")->isChecked());
    again.faceMenu().menu()->hide();
}

TEST(Skins, TheSkinsFoldersSkinsAreListedByNameTheOneWornChecked)
{
    SkinsFolder skins;
    TempFolder other;
    std::filesystem::copy(std::filesystem::path(testSkin("Vertical")).parent_path(), other.file("Another"));
    const auto found =
        skinchoice::findSkins({skins.folder.path(), other.path() + "/missing", other.path(), skins.folder.path()});
    std::vector<std::string> names;
    for (const auto& skin : found) names.push_back(skin.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Broken", "Bundled", "Vertical", "Another"}));
    EXPECT_EQ(found[0].skinFile, skins.folder.file("Broken/skin.ini"));

    ShellFixture shell(skins.vertical);
    MainWindow& window = shell.open();
    window.faceMenu().setSkinFolders({skins.folder.path()});
    window.faceMenu().popup(QPoint(0, 0));
    QMenu* sub = item(*window.faceMenu().menu(), "Skins")->menu();
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(itemTexts(*sub), QStringList({"Broken", "Bundled", "Vertical", "Choose Skin File..."}));
    EXPECT_TRUE(item(*sub, "Vertical")->isChecked());
    EXPECT_FALSE(item(*sub, "Bundled")->isChecked());
    window.faceMenu().menu()->hide();
}

TEST(Skins, ASkinChosenReshapesTheFaceAtOnceTheSongPlayingOnAndIsSaved)
{
    SkinsFolder skins;
    ShellFixture shell(skins.vertical);
    MainWindow& window = shell.open();
    window.faceMenu().setSkinFolders({skins.folder.path()});
    window.actions().playPath(DEMO_SONG);
    ASSERT_TRUE(shell.device.waitForWrites(2));
    const Bitmap bundledFace = Bitmap::load(std::string(DEFAULT_SKIN) + "/MainUp.bmp");

    const int resetsBefore = shell.device.resets();
    window.faceMenu().popup(QPoint(0, 0));
    item(*item(*window.faceMenu().menu(), "Skins")->menu(), "Bundled")->trigger();
    EXPECT_EQ(window.size(), QSize(bundledFace.width(), bundledFace.height()));
    EXPECT_EQ(window.mask(), buildWindowRegion(bundledFace));
    EXPECT_EQ(window.skin().mainUp.width(), bundledFace.width());
    EXPECT_EQ(shell.settings.getSkin(), skins.bundled);
    EXPECT_TRUE(shell.player.isRunning());
    EXPECT_EQ(shell.requests.kindsAsked(), std::vector<RecordingRequests::Kind>{RecordingRequests::Kind::start});
    // The song plays on: the device was neither reset nor closed.
    EXPECT_EQ(shell.device.resets(), resetsBefore);
    EXPECT_EQ(shell.device.closes(), 0);
    EXPECT_TRUE(shell.device.isOpen());
    // The controls are the new skin's, in its places.
    SkinRect play;
    parseSkinRect(IniFile(skins.bundled).read("Coordinates", "Play").value_or(""), play);
    EXPECT_NE(shell.controlAt<PlayButton>(play), nullptr);
    window.faceMenu().menu()->hide();

    // A skin that fails leaves the one worn and says why, naming its file.
    EXPECT_FALSE(window.wearSkin(skins.folder.file("Broken/skin.ini")));
    EXPECT_EQ(shell.settings.getSkin(), skins.bundled);
    EXPECT_EQ(window.size(), QSize(bundledFace.width(), bundledFace.height()));
    const auto told = shell.messages.messages();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].text.find(skins.folder.file("Broken/skin.ini")), std::string::npos) << told[0].text;

    // The chooser: a file that is no skin is told and asked again.
    shell.messages.clear();
    shell.dialogs.skinAnswers = {shell.settingsFile, skins.vertical};
    window.chooseSkinFile();
    EXPECT_EQ(shell.messages.messages().size(), 1u);
    EXPECT_EQ(shell.settings.getSkin(), skins.vertical);
    EXPECT_EQ(window.size(), QSize(120, 90));
}
