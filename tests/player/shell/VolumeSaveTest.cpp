// The volume saved once it rests, and at every end, so that a wheel spun
// rewrites the settings file once and a quit right after a change loses
// nothing.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <csignal>
#include <vector>

#include "Application.h"
#include "ShellTestSupport.h"
#include "VolumeSave.h"

namespace {

struct CountedSaves {
    std::vector<int> saved;
    VolumeSave save{[this](int volume) { saved.push_back(volume); }};
};

void turnWheel(MainWindow& window, int eighthsOfDegrees)
{
    const QPoint at(40, 20);
    QWheelEvent wheel(QPointF(at), QPointF(window.mapToGlobal(at)), QPoint(), QPoint(0, eighthsOfDegrees), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&window, &wheel);
}

} // namespace

TEST(VolumeSave, TenQuickChangesAreSavedOnceTheyRestTheLastOneCounting)
{
    CountedSaves counted;
    for (int volume = 90; volume > 40; volume -= 5) counted.save.changed(volume);
    EXPECT_TRUE(counted.saved.empty());
    EXPECT_TRUE(counted.save.waiting());
    EXPECT_TRUE(processUntil([&] { return !counted.saved.empty(); }));
    EXPECT_EQ(counted.saved, std::vector<int>{45});
    EXPECT_FALSE(counted.save.waiting()) << "nothing else waits to be saved";
}

TEST(VolumeSave, AChangeWaitingIsSavedAtOnceAtTheEndAndWhenTheSaveGoes)
{
    CountedSaves counted;
    counted.save.saveNow();
    EXPECT_TRUE(counted.saved.empty()) << "nothing waited";
    counted.save.changed(30);
    counted.save.saveNow();
    EXPECT_EQ(counted.saved, std::vector<int>{30});
    EXPECT_FALSE(counted.save.waiting()) << "saved at the end, not again after the rest";

    std::vector<int> saved;
    {
        VolumeSave save([&](int volume) { saved.push_back(volume); });
        save.changed(70);
    }
    EXPECT_EQ(saved, std::vector<int>{70});
}

TEST(Volume, TenWheelNotchesRewriteTheSettingsOnceTheyRestAndAreHeardAtOnce)
{
    ShellFixture shell;
    shell.settings.putVolume(100);
    MainWindow& window = shell.open();
    QElapsedTimer turned;
    turned.start();
    for (int notch = 0; notch < 10; ++notch) turnWheel(window, -120);
    EXPECT_EQ(window.actions().volume(), 50);
    EXPECT_FLOAT_EQ(shell.device.gain(), 0.125f);
    // Each save puts a new file in the old one's place; none was made yet
    // while the notches came faster than the rest.
    if (turned.elapsed() < VolumeSave::restMilliseconds) {
        EXPECT_EQ(shell.settings.getVolume(), 100);
    }
    EXPECT_TRUE(processUntil([&] { return shell.settings.getVolume() == 50; }));
}

TEST(Volume, AChangeRightBeforeQuitOrTheWindowsEndIsKept)
{
    {
        ShellFixture shell;
        MainWindow& window = shell.open();
        QTest::keyClick(&window, Qt::Key_Down);
        window.actions().quit(false);
        EXPECT_EQ(shell.settings.getVolume(), 95);
    }
    ShellFixture shell;
    MainWindow& window = shell.open();
    QTest::keyClick(&window, Qt::Key_Down);
    QTest::keyClick(&window, Qt::Key_Down);
    shell.window.reset();
    EXPECT_EQ(shell.settings.getVolume(), 90);
}

// The whole start, to its end by a signal or by the platform's close, right
// after a volume key.
TEST(Volume, AChangeRightBeforeASignalToEndOrThePlatformsCloseIsKept)
{
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, 0}) {
        TempFolder programFolder, configFolder, runtimeFolder;
        TestAudioDevice device;
        RecordingMessages messages;
        TestFileDialogs dialogs;
        const std::string settingsFile = programFolder.write("Sonorbox.ini", "");
        PlayerSettings settings(settingsFile);
        settings.putSkin(testSkin("Vertical"));
        Application application{{programFolder.path(), configFolder.file("sonorbox"), testSkin("Vertical")},
                                std::string(),
                                {device, messages, dialogs},
                                runtimeFolder.path()};
        QTimer ender;
        QObject::connect(&ender, &QTimer::timeout, [&] {
            for (QWidget* face : QApplication::topLevelWidgets()) {
                if (face->objectName() != "Sonorbox MP3" || !face->isVisible()) continue;
                ender.stop();
                QTest::keyClick(face, Qt::Key_Down);
                if (signal != 0)
                    std::raise(signal);
                else
                    QCoreApplication::exit(0);
                return;
            }
        });
        ender.start(10);
        EXPECT_EQ(application.run(), 0) << signal;
        EXPECT_EQ(settings.getVolume(), 95) << signal;
    }
}
