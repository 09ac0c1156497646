// The start: where the settings file lives, the skin chooser the first time,
// its refusals, and a skin that cannot be loaded.
#include <gtest/gtest.h>

#include <QTimer>
#include <csignal>

#include "Application.h"
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
    for (std::string chosen : {std::string(), std::string("/skins/MySkin.ini"), std::string("/skins/Skin.ini.bak")}) {
        StartFixture start;
        start.settings.putSkin(""); // present but empty: a first start
        start.dialogs.skinAnswer = chosen;
        EXPECT_EQ(start.application.run(), 0);
        EXPECT_EQ(start.dialogs.skinAsked, 1);
        auto shown = start.messages.messages();
        ASSERT_EQ(shown.size(), 1u) << chosen;
        EXPECT_EQ(shown[0].caption, "A valid skin has not been selected");
        EXPECT_EQ(shown[0].text, noSkinText);
        EXPECT_EQ(shown[0].icon, MessageIcon::information);
        EXPECT_EQ(start.settings.getSkin(), "");
    }
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

TEST(Start, ASkinThatCannotBeLoadedEndsTheStartAndStaysChosen)
{
    StartFixture start;
    start.settings.putSkin(testSkin("NoBitmaps"));
    EXPECT_THROW(start.application.run(), ShellError);
    EXPECT_EQ(start.settings.getSkin(), testSkin("NoBitmaps"));
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
