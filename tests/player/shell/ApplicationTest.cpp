// The start: where the settings file lives, the skin chooser the first time,
// its refusals, and a skin that cannot be loaded.
#include <gtest/gtest.h>

#include <QTimer>
#include <csignal>

#include "Application.h"
#include "MainWindow.h"
#include "Skin.h"
#include "ShellTestSupport.h"

namespace {

// A portable copy: its settings file lies beside the program.
struct StartFixture {
    TempFolder programFolder;
    TempFolder configFolder;
    TempFolder runtimeFolder;
    TestAudioDevice device;
    RecordingMessages messages;
    TestFileDialogs dialogs;
    std::string settingsFile = programFolder.write("Sonorbox.ini", "");
    Application application{{programFolder.path(), configFolder.file("sonorbox"), testSkin("Vertical")},
                            std::string(),
                            {device, messages, dialogs},
                            runtimeFolder.path()};
    PlayerSettings settings{settingsFile};

    // Runs until the message loop has begun, then ends it as the platform's
    // close would. (An exit asked for before the loop runs is lost, so it is
    // asked for again until one arrives inside the loop.)
    int runAndClose()
    {
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [] { QCoreApplication::exit(0); });
        closer.start(10);
        return application.run();
    }

    // A start whose skin chooser gives these answers in turn: how many
    // messages it told.
    std::size_t toldWhileChoosing(std::vector<std::string> answers)
    {
        messages.clear();
        dialogs.skinAnswers = std::move(answers);
        EXPECT_EQ(runAndClose(), 0);
        return messages.messages().size();
    }
};

const char* const noSkinText = "Sonorbox cannot continue until a valid skin is selected\n"
                               "Download Sonorbox skins at the Sonorbox home page:\n"
                               "\n"
                               "https://sonorbox.example.org/\n"
                               "\n"
                               "Restart the program when a skin has been obtained";

} // namespace

TEST(Start, APortableCopyKeepsItsSettingsBesideTheProgram)
{
    StartFixture start;
    start.settings.putSkin(testSkin("Vertical"));
    EXPECT_EQ(start.runAndClose(), 0);
    EXPECT_EQ(start.application.settingsFilePath(), start.settingsFile);
    EXPECT_FALSE(std::filesystem::exists(start.configFolder.file("sonorbox")));
}

TEST(Start, AnInstalledCopyStartsOnTheDefaultSkinWithoutAChooser)
{
    StartFixture start;
    std::filesystem::remove(start.settingsFile);
    EXPECT_EQ(start.runAndClose(), 0);
    EXPECT_EQ(start.dialogs.skinAsked, 0);
    const std::string made = start.configFolder.file("sonorbox/Sonorbox.ini");
    EXPECT_EQ(start.application.settingsFilePath(), made);
    EXPECT_EQ(PlayerSettings(made).getSkin(), testSkin("Vertical"));
    // Quit and Escape write the position there, never beside the program.
    EXPECT_FALSE(std::filesystem::exists(start.settingsFile));
}

TEST(Start, WithoutASkinChosenTheProgramEndsWithTheMessage)
{
    StartFixture start;
    start.settings.putSkin(""); // present but empty: a first start
    EXPECT_EQ(start.application.run(), 0);
    EXPECT_EQ(start.dialogs.skinAsked, 1);
    auto shown = start.messages.messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "A valid skin has not been selected");
    EXPECT_EQ(shown[0].text, noSkinText);
    EXPECT_EQ(shown[0].icon, MessageIcon::information);
    EXPECT_EQ(start.settings.getSkin(), "");
}

TEST(Start, AChosenFileThatIsNoSkinIsToldAndTheChooserAsksAgain)
{
    StartFixture start;
    TempFolder noSkin;
    const std::string bak = noSkin.write("Skin.ini.bak", "[Coordinates]\n");
    for (const std::string& chosen : {start.settingsFile, bak, testSkin("NoBitmaps")}) {
        start.settings.putSkin("");
        start.messages.clear();
        start.dialogs.skinAsked = 0;
        start.dialogs.skinAnswers = {chosen, ""};
        EXPECT_EQ(start.application.run(), 0);
        EXPECT_EQ(start.dialogs.skinAsked, 2) << chosen;
        auto shown = start.messages.messages();
        ASSERT_EQ(shown.size(), 2u) << chosen;
        EXPECT_NE(shown[0].text.find(chosen), std::string::npos) << shown[0].text;
        EXPECT_EQ(shown[1].text, noSkinText);
        EXPECT_EQ(start.settings.getSkin(), "");
    }
    // Told of the player's own settings file, the user picks a skin.
    start.settings.putSkin("");
    EXPECT_EQ(start.toldWhileChoosing({start.settingsFile, testSkin("Vertical")}), 1u);
    EXPECT_EQ(start.settings.getSkin(), testSkin("Vertical"));
}

TEST(Start, AChooserCancelledAfterQuitsYesKeepsTheSkinWornBefore)
{
    StartFixture start;
    start.settings.putSkin(testSkin("Vertical"));
    QTimer quitter;
    QObject::connect(&quitter, &QTimer::timeout, [&] {
        for (QWidget* face : QApplication::topLevelWidgets()) {
            auto* window = dynamic_cast<MainWindow*>(face);
            if (!window || !window->isVisible()) continue;
            start.messages.setAnswer(MessageAnswer::yes);
            window->actions().quit(true);
            return;
        }
    });
    quitter.start(10);
    EXPECT_EQ(start.application.run(), 0);
    quitter.stop();
    EXPECT_EQ(start.settings.getSkin(), "");
    // The next start's chooser is cancelled: the skin worn before is worn.
    start.messages.clear();
    EXPECT_EQ(start.runAndClose(), 0);
    EXPECT_EQ(start.dialogs.skinAsked, 1);
    EXPECT_TRUE(start.messages.messages().empty());
    EXPECT_EQ(start.settings.getSkin(), testSkin("Vertical"));
}

TEST(Start, ASkinNamedFromTheProgramsFolderIsFoundThereWhereverTheFolderIs)
{
    StartFixture start;
    const std::filesystem::path from = std::filesystem::path(testSkin("Vertical")).parent_path();
    std::filesystem::create_directories(start.programFolder.file("skins"));
    std::filesystem::copy(from, start.programFolder.file("skins/Vertical"));
    start.settings.putSkin("skins/Vertical/Skin.ini");
    EXPECT_EQ(start.runAndClose(), 0);
    EXPECT_EQ(start.dialogs.skinAsked, 0);
    EXPECT_TRUE(start.messages.messages().empty());
    EXPECT_EQ(start.settings.getSkin(), "skins/Vertical/Skin.ini");
}

TEST(Start, ASignalWhileTheSkinChooserIsOpenEndsTheStartAndLeavesTheSkinAsItWas)
{
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        StartFixture start;
        start.settings.putSkin("");
        // The user had picked a valid skin when the session ended.
        start.dialogs.skinAnswer = testSkin("Vertical");
        start.dialogs.whileSkinAsked = [signal] {
            std::raise(signal);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
        };
        EXPECT_EQ(start.application.run(), 0);
        EXPECT_TRUE(start.messages.messages().empty()) << "a signal's end says nothing";
        EXPECT_EQ(start.settings.getSkin(), "");
    }
}

TEST(Start, AChosenSkinIniInAnyCaseIsStoredAndUsed)
{
    TempFolder skinFolder;
    for (const char* name : {"Skin.ini", "MainUp.bmp", "MainDown.bmp", "About.bmp"})
        std::filesystem::copy_file(std::filesystem::path(testSkin("Vertical")).parent_path() / name,
                                   skinFolder.file(name == std::string("Skin.ini") ? "SKIN.INI" : name));
    StartFixture start;
    start.dialogs.skinAnswer = skinFolder.file("SKIN.INI");
    EXPECT_EQ(start.runAndClose(), 0);
    EXPECT_EQ(start.settings.getSkin(), skinFolder.file("SKIN.INI"));
    EXPECT_TRUE(start.messages.messages().empty());
}

TEST(Start, AStoredSkinNeedsNoChooser)
{
    StartFixture start;
    start.settings.putSkin(testSkin("Vertical"));
    EXPECT_EQ(start.runAndClose(), 0);
    EXPECT_EQ(start.dialogs.skinAsked, 0);
}

TEST(Start, ASkinThatCannotBeLoadedIsToldNamingItAndTheChooserFollows)
{
    StartFixture start;
    start.settings.putSkin(testSkin("NoBitmaps"));
    // Cancelled: the start ends as without a skin, and the skin stays set.
    EXPECT_EQ(start.application.run(), 0);
    auto shown = start.messages.messages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Bitmap file could not be loaded.\n\n" + testSkin("NoBitmaps"));
    EXPECT_EQ(shown[0].icon, MessageIcon::error);
    EXPECT_EQ(shown[1].text, noSkinText);
    EXPECT_EQ(start.settings.getSkin(), testSkin("NoBitmaps"));
    // A skin chosen then is worn.
    EXPECT_EQ(start.toldWhileChoosing({testSkin("Vertical")}), 1u);
    EXPECT_EQ(start.settings.getSkin(), testSkin("Vertical"));
}

TEST(Start, ASettingsFileThatCannotBeSavedIsToldOnceNamingIt)
{
    StartFixture start;
    start.settings.putSkin(testSkin("Vertical"));
    // Each save fails: a folder with a file in it stands where the new
    // file would be made.
    start.programFolder.write("Sonorbox.ini.new/in the way", "");
    // The start saves the song it is given, the window's place is saved at
    // its end, and the volume twice between.
    Application application{{start.programFolder.path(), start.configFolder.file("sonorbox"), testSkin("Vertical")},
                            DEMO_SONG,
                            {start.device, start.messages, start.dialogs},
                            start.runtimeFolder.path()};
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* face : QApplication::topLevelWidgets()) {
            if (face->objectName() != "Sonorbox MP3" || !face->isVisible()) continue;
            QTest::keyClick(face, Qt::Key_Down);
            QTest::keyClick(face, Qt::Key_Down);
            QTest::keyClick(face, Qt::Key_Escape);
            return;
        }
    });
    closer.start(10);
    EXPECT_EQ(application.run(), 0);
    int told = 0;
    for (const auto& message : start.messages.messages())
        if (message.text.find("could not be saved to \"" + start.settingsFile + "\"") != std::string::npos) ++told;
    EXPECT_EQ(told, 1);
    EXPECT_EQ(start.settings.getSkin(), testSkin("Vertical"));
    EXPECT_EQ(start.settings.getSong(), "");
}
