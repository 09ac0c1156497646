// Time, title, rates and the seek bar: their texts, their fill, a click on
// the bar, and the updates from other threads.
#include <gtest/gtest.h>

#include <QImage>
#include <thread>

#include "SeekBar.h"
#include "ShellTestSupport.h"
#include "Skin.h"

namespace {

// A bar of the given size whose empty look is black and filled look white.
struct BarFixture {
    TempFolder folder;
    std::unique_ptr<Bitmap> empty;
    std::unique_ptr<Bitmap> filled;
    TestAudioDevice device;
    RecordingMessages messages;
    ShellReadouts readouts;
    PlayerSettings settings{folder.file("Sonorbox.ini")};
    Player player{device, readouts, messages, settings};
    RecordingRequests requests{player};
    WindowPosition position{folder.file("Sonorbox.ini")};
    TestFileDialogs dialogs;
    SkinWindow parent{"Parent", "Parent"};
    PlayerActions actions{{requests, settings, position, messages, dialogs, device}, parent};
    std::unique_ptr<SeekBar> bar;

    BarFixture(int width, int height)
    {
        empty = std::make_unique<Bitmap>(bitmap(width, height, Qt::black, "empty.bmp"));
        filled = std::make_unique<Bitmap>(bitmap(width, height, Qt::white, "filled.bmp"));
        parent.createWindow(nullptr, true, QRect(0, 0, width, height));
        bar = std::make_unique<SeekBar>(&parent, 0, 0, BitmapPiece{empty.get(), 0, 0, width, height, 0, 0},
                                        BitmapPiece{filled.get(), 0, 0, width, height, 0, 0}, actions);
    }

    Bitmap bitmap(int width, int height, Qt::GlobalColor colour, const char* name)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        image.save(QString::fromStdString(folder.file(name)), "BMP");
        return Bitmap::load(folder.file(name));
    }

    void at(int position, int length) { bar->showPosition(position, length); }

    std::vector<float> seeksAsked() const { return requests.seeksAsked(); }

    // How many pixels of the drawn bar show the filled look.
    int filledPixels()
    {
        const QImage drawn = bar->grab().toImage();
        int count = 0;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x) count += drawn.pixel(x, y) == qRgb(255, 255, 255);
        return count;
    }
};

} // namespace

TEST(TimeReadout, ShowsMinutesAndSecondsAndGoesRoundAfterAnHour)
{
    EXPECT_EQ(timeText(0), "00:00");
    EXPECT_EQ(timeText(59), "00:59");
    EXPECT_EQ(timeText(3599), "59:59");
    EXPECT_EQ(timeText(3600), "00:00");
    EXPECT_EQ(timeText(3725), "02:05");
}

TEST(TitleReadout, IsTheFileNameLessItsExtension)
{
    ShellFixture shell;
    MainWindow& window = shell.open();
    window.setTitle("/music/Blue Song.mp3");
    EXPECT_EQ(window.titleText(), "Blue Song");
    window.setTitle("Relative.m3u");
    EXPECT_EQ(window.titleText(), "Relative");
    window.setTitle("/music/abc");
    EXPECT_EQ(window.titleText(), "abc");
    // No extension, nothing cut.
    window.setTitle("/music/Yesterday");
    EXPECT_EQ(window.titleText(), "Yesterday");
    window.setTitle("/music/songs");
    EXPECT_EQ(window.titleText(), "songs");
    window.setTitle("/music/Hits Vol. 1");
    EXPECT_EQ(window.titleText(), "Hits Vol. 1");
    window.setTitle("/music/Caf\xc3\xa9.\xc3\xa9t\xc3\xa9");
    EXPECT_EQ(window.titleText(), QString::fromUtf8("Caf\xc3\xa9"));
}

TEST(TitleReadout, ALongTitleEndsWithAnEllipsisInsideTheTitleArea)
{
    ShellFixture shell;
    MainWindow& window = shell.open();
    const QRect area = window.titleRect();
    const QImage before = window.grab(area).toImage();
    window.setTitle("/music/" + std::string(200, 'W') + ".mp3");
    const QImage after = window.grab().toImage();
    // Text was written in the area, and nothing outside it changed.
    EXPECT_NE(after.copy(area), before);
    const QImage face = shell.window->skin().mainUp.image();
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (!area.contains(x, y) && !window.childAt(x, y)) {
                ASSERT_EQ(after.pixel(x, y), face.pixel(x, y)) << x << ", " << y;
            }
}

TEST(SeekBar, AHorizontalBarFillsFromTheLeftAndAClickSetsTheFraction)
{
    BarFixture fixture(200, 10);
    EXPECT_TRUE(fixture.bar->isHorizontal());
    EXPECT_EQ(fixture.bar->fillValue(), 0); // no song yet: empty
    EXPECT_EQ(fixture.filledPixels(), 0);
    fixture.at(30, 120);
    EXPECT_EQ(fixture.bar->fillValue(), 50);
    EXPECT_EQ(fixture.filledPixels(), 50 * 10);
    fixture.at(500, 120); // past the end: all of it
    EXPECT_EQ(fixture.filledPixels(), 200 * 10);

    ShellFixture::click(fixture.bar.get(), QPoint(100, 5));
    EXPECT_EQ(fixture.seeksAsked(), std::vector<float>{0.5f});
    EXPECT_EQ(fixture.requests.kindsAsked(), std::vector{RecordingRequests::Kind::seek});
}

TEST(SeekBar, AVerticalBarFillsFromTheBottomAndItsBottomIsTheStart)
{
    BarFixture fixture(10, 100);
    EXPECT_FALSE(fixture.bar->isHorizontal());
    fixture.at(0, 0);
    EXPECT_EQ(fixture.filledPixels(), 0);
    fixture.at(25, 100);
    EXPECT_EQ(fixture.bar->fillValue(), 75); // the filled part's top
    EXPECT_EQ(fixture.filledPixels(), 25 * 10);
    const QImage drawn = fixture.bar->grab().toImage();
    EXPECT_EQ(drawn.pixel(5, 99), qRgb(255, 255, 255));
    EXPECT_EQ(drawn.pixel(5, 74), qRgb(0, 0, 0));

    ShellFixture::click(fixture.bar.get(), QPoint(5, 25));
    EXPECT_EQ(fixture.seeksAsked(), std::vector<float>{0.75f});
}

TEST(SeekBar, ASquareBarIsHorizontal)
{
    BarFixture fixture(12, 12);
    EXPECT_TRUE(fixture.bar->isHorizontal());
}

TEST(SeekBar, AReleaseOutsideTheBarDoesNotSeek)
{
    BarFixture fixture(200, 10);
    QTest::mousePress(fixture.bar.get(), Qt::LeftButton, {}, QPoint(100, 5));
    QTest::mouseRelease(fixture.bar.get(), Qt::LeftButton, {}, QPoint(100, 11));
    EXPECT_TRUE(fixture.seeksAsked().empty());
    // The bar's very start asks for no seek either.
    ShellFixture::click(fixture.bar.get(), QPoint(0, 5));
    EXPECT_TRUE(fixture.seeksAsked().empty());
    ShellFixture::click(fixture.bar.get(), QPoint(200, 10)); // edges inclusive
    EXPECT_EQ(fixture.seeksAsked(), std::vector<float>{1.0f});
}

TEST(SeekBar, APaintRequestAlwaysDrawsTheWholeBar)
{
    BarFixture fixture(200, 10);
    fixture.at(60, 120);
    // Uncovered with the same fill value: drawn again, not left blank.
    EXPECT_EQ(fixture.filledPixels(), 100 * 10);
    EXPECT_EQ(fixture.filledPixels(), 100 * 10);
}

TEST(Readouts, UpdatesFromOtherThreadsAreMergedAndTheNewestIsShown)
{
    ShellFixture shell;
    MainWindow& window = shell.open();
    std::thread callback([&] {
        for (int second = 0; second <= 5000; ++second)
            shell.readouts.showAudible(Audible{1, "/music/Blue Song.mp3", 6000, second});
        shell.readouts.setSampleRateNumber(44);
        shell.readouts.setBitrateNumber(192);
    });
    callback.join();
    // Nothing was drawn meanwhile, so one request to draw was posted.
    EXPECT_EQ(shell.readouts.postedDraws(), 1);
    ASSERT_TRUE(processUntil([&] { return window.bitrateReadout().text() == "192"; }));
    EXPECT_EQ(window.timeReadout().text(), timeText(5000));
    EXPECT_EQ(window.titleText(), "Blue Song");
    // Five sixths of the song heard: the bar is far from empty.
    SeekBar& bar = window.seekBar();
    EXPECT_NE(bar.fillValue(), bar.isHorizontal() ? 0 : bar.height());
    EXPECT_EQ(window.sampleRateReadout().text(), "44");
}

TEST(Readouts, ShowTheSongWhilePlayingAndKeepItAtItsStartAfterStop)
{
    ShellFixture shell;
    shell.device.setFlowing(true, std::chrono::microseconds(5000));
    MainWindow& window = shell.open(DEMO_SONG);
    ASSERT_TRUE(processUntil([&] { return window.timeReadout().text() >= "00:02"; }, std::chrono::seconds(20)));
    EXPECT_EQ(shell.settings.getSong(), DEMO_SONG);
    EXPECT_EQ(window.sampleRateReadout().text(), "44");
    EXPECT_EQ(window.bitrateReadout().text(), "128");
    EXPECT_EQ(window.titleText(), "demo");
    shell.player.stopPlayback();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.sampleRateReadout().text(), "44");
    EXPECT_EQ(window.bitrateReadout().text(), "128");
    EXPECT_EQ(window.titleText(), "demo");
    // Stopped, the song shown is at its start, as the media controls tell.
    EXPECT_TRUE(processUntil([&] { return window.timeReadout().text() == "00:00"; }));
    SeekBar& bar = window.seekBar();
    EXPECT_EQ(bar.fillValue(), bar.isHorizontal() ? 0 : bar.height());
}
