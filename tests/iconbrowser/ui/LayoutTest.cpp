// The main window's layout, splitter and saved placement.
#include "DriveList.h"
#include "FileList.h"
#include "FolderList.h"
#include "IconBox.h"
#include "SplitterGrip.h"
#include "Twips.h"
#include "UiTestSupport.h"

#include <QGroupBox>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

namespace {

using glint::twips::of;

class Layout : public testing::Test {
protected:
    QWidget* control(const char* name) const
    {
        auto* found = window.frm.findChild<QWidget*>(QString::fromLatin1(name));
        EXPECT_TRUE(found) << name;
        return found;
    }
    double pixelsPerTwip() const { return window.frm.logicalDpiX() / 1440.0; }
    QAction* action(const char* name) const { return window.frm.findChild<QAction*>(QString::fromLatin1(name)); }

    uitest::Window window;
};

TEST_F(Layout, ControlsStandAtTheirTwipPlaces)
{
    const double scale = pixelsPerTwip();
    EXPECT_EQ(control("client")->size(), QSize(qRound(7260 * scale), qRound(4140 * scale)));
    EXPECT_EQ(of(control("Drive1")), QRectF(15, 165, 3035, 315));
    EXPECT_EQ(of(control("cmdExit")), QRectF(6795, 165, 360, 330));
    EXPECT_EQ(of(control("fSource")), QRectF(0, 525, 7350, 2580));
    EXPECT_EQ(of(control("picScroll")), QRectF(75, 3765, 7095, 345));
    EXPECT_EQ(of(control("icoscroll")), QRectF(15, 30, 6960, 225));
    EXPECT_EQ(control("icopic(0)")->parentWidget(), control("Picture1"));
    const double lefts[] = {-15, 930, 1875, 2820, 3765, 4710, 5655};
    for (int n = 1; n <= 7; ++n) {
        QWidget* box = window.frm.icopic(n);
        EXPECT_EQ(box->parentWidget(), control("picIcons"));
        EXPECT_EQ(of(box), QRectF(lefts[n - 1], 0, 510, 510)) << "box " << n;
        EXPECT_EQ(box->toolTip(), QStringLiteral("Icons In The Executable or DLL"));
    }
    EXPECT_EQ(window.frm.icopic(0)->size(), QSize(qRound(510 * scale), qRound(510 * scale)));
    EXPECT_EQ(window.frm.icopic(0)->toolTip(), QStringLiteral("Icon To Extract"));
    EXPECT_EQ(control("File1")->toolTip(), QStringLiteral("Choose a File to Extract Icons From"));
    EXPECT_EQ(control("cmdWhatsThis")->toolTip(), QStringLiteral("What's This Help"));
    EXPECT_EQ(qobject_cast<QGroupBox*>(control("fSource"))->title(), QStringLiteral("Source Files"));
    EXPECT_EQ(window.frm.windowTitle(), QStringLiteral("Glint Gatherer"));
    EXPECT_FALSE(window.frm.windowIcon().isNull());
    EXPECT_TRUE(window.frm.picSplitter()->isHidden());
}

TEST_F(Layout, FontsAreTheSmallSansFaces)
{
    const QFont list = control("File1")->font();
    EXPECT_DOUBLE_EQ(list.pointSizeF(), 8.25);
    EXPECT_FALSE(list.bold());
    EXPECT_EQ(list.family(), QStringLiteral("MS Sans Serif")) << "asked for by name; the platform substitutes";
    EXPECT_TRUE(control("fSource")->font().bold()) << "the frame caption has the window's bold font";
    EXPECT_DOUBLE_EQ(window.frm.font().pointSizeF(), 8.25);
}

TEST_F(Layout, MenusHaveTheirCaptionsAndShortCuts)
{
    const QList<QAction*> bar = window.frm.menuBar()->actions();
    ASSERT_EQ(bar.size(), 2) << "the pop-up menu is not in the bar";
    EXPECT_EQ(bar[0]->text(), QStringLiteral("&File"));
    EXPECT_EQ(bar[1]->text(), QStringLiteral("&Help"));
    EXPECT_EQ(action("mexit")->text(), QStringLiteral("E&xit"));
    EXPECT_EQ(action("mcontents")->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(action("msearch")->text(), QStringLiteral("&Search For Help On..."));
    EXPECT_EQ(action("mwhatsthis")->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F1));
    EXPECT_TRUE(action("sep3")->isSeparator());
    EXPECT_EQ(action("mabout")->text(), QStringLiteral("&About Glint Gatherer"));
    EXPECT_EQ(window.frm.mnuPopUp()->title(), QStringLiteral("PopUp"));
    EXPECT_EQ(action("mnuSave")->text(), QStringLiteral("Sa&ve"));
}

TEST_F(Layout, SizeControlsGivesTheWorkedExample)
{
    window.frm.SizeControls(3330);
    EXPECT_EQ(of(window.frm.Dir1()).width(), 3030);
    EXPECT_EQ(of(window.frm.imgSplitter()).left(), 3070);
    EXPECT_EQ(of(window.frm.File1()).left(), 3110);
    EXPECT_EQ(of(window.frm.File1()).width(), 4170);
    EXPECT_EQ(of(window.frm.imgSplitter()).top(), 15);
    EXPECT_EQ(of(window.frm.imgSplitter()).height(), 2625);
}

TEST_F(Layout, SizeControlsSkipsOnlyTheStepsThatFail)
{
    window.frm.SizeControls(3330);
    window.frm.SizeControls(100); // Dir1 would be -200 wide
    EXPECT_EQ(of(window.frm.Dir1()).width(), 3030) << "kept";
    EXPECT_EQ(of(window.frm.imgSplitter()).left(), -160);
    EXPECT_EQ(of(window.frm.File1()).left(), -120);
    EXPECT_EQ(of(window.frm.File1()).width(), 4170);
    window.frm.SizeControls(7600); // File1 would be -100 wide
    EXPECT_EQ(of(window.frm.Dir1()).width(), 7300);
    EXPECT_EQ(of(window.frm.File1()).width(), 4170) << "kept";
}

TEST_F(Layout, ShowingMinimisingAndRestoringNeverMoveTheGrip)
{
    window.frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window.frm));
    const QRectF grip = of(window.frm.imgSplitter());
    const QRectF dir = of(window.frm.Dir1());
    window.frm.showMinimized();
    window.frm.showNormal();
    window.frm.resize(window.frm.size()); // another resize event
    QCoreApplication::processEvents();
    EXPECT_EQ(of(window.frm.imgSplitter()), grip);
    EXPECT_EQ(of(window.frm.Dir1()), dir);
    // The lists meet the grip as the layout rule says.
    EXPECT_EQ(dir.right(), grip.left() - 40 + 0);
    EXPECT_EQ(of(window.frm.File1()).left(), grip.left() + 40);
}

TEST_F(Layout, TheSplitterBarStopsAtTheLimits)
{
    window.frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window.frm));
    glint::FrmMain& frm = window.frm;
    const QRectF grip = of(frm.imgSplitter());
    QTest::mousePress(frm.imgSplitter(), Qt::LeftButton, {}, QPoint(1, 1));
    ASSERT_TRUE(frm.splitterMoving());
    EXPECT_TRUE(frm.picSplitter()->isVisible());
    EXPECT_EQ(of(frm.picSplitter()), QRectF(grip.left(), grip.top(), 75, grip.height() - 20));

    const double windowWidth = glint::twips::fromPixels(&frm, frm.frameGeometry().width());
    frm.imgSplitter_MouseMove(500 - grip.left() - 1);
    EXPECT_EQ(of(frm.picSplitter()).left(), 500);
    frm.imgSplitter_MouseMove(500 - grip.left());
    EXPECT_EQ(of(frm.picSplitter()).left(), 500) << "exactly at the limit";
    frm.imgSplitter_MouseMove(windowWidth - 500 - grip.left() + 1);
    EXPECT_EQ(of(frm.picSplitter()).left(), windowWidth - 500);
    frm.imgSplitter_MouseMove(2000 - grip.left());
    EXPECT_EQ(of(frm.picSplitter()).left(), 2000);

    QTest::mouseRelease(frm.imgSplitter(), Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_FALSE(frm.splitterMoving());
    EXPECT_TRUE(frm.picSplitter()->isHidden());
    EXPECT_EQ(of(frm.imgSplitter()).left(), 2000) << "the grip goes where the bar was let go";
    EXPECT_EQ(of(frm.Dir1()).width(), 1960);

    frm.imgSplitter_MouseMove(100);
    EXPECT_TRUE(frm.picSplitter()->isHidden()) << "a move without a drag does nothing";
}

TEST_F(Layout, TheGripFollowsTheRealMouse)
{
    window.frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window.frm));
    glint::FrmMain& frm = window.frm;
    const double start = of(frm.imgSplitter()).left();
    QTest::mousePress(frm.imgSplitter(), Qt::LeftButton, {}, QPoint(1, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(-29, 5), frm.imgSplitter()->mapToGlobal(QPointF(-29, 5)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frm.imgSplitter(), &move);
    QTest::mouseRelease(frm.imgSplitter(), Qt::LeftButton, {}, QPoint(-29, 5));
    EXPECT_NEAR(of(frm.imgSplitter()).left(), start - 29 * 15.0 * 96 / frm.logicalDpiX(), 0.01);
}

class Placement : public Layout {
protected:
    QPoint pixels(double left, double top) const
    {
        return {glint::twips::toPixels(&window.frm, left), glint::twips::toPixels(&window.frm, top)};
    }
    QString stored(const char* key) const { return window.settings.value(QString::fromLatin1(key)).toString(); }
};

TEST_F(Placement, FirstStartOpensAtTheDefault)
{
    window.frm.Form_Load();
    EXPECT_EQ(window.frm.pos(), pixels(1000, 1000));
}

TEST_F(Placement, OnlyTheStoredPositionIsRestored)
{
    window.settings.setValue(QStringLiteral("Settings/MainLeft"), QStringLiteral("1500"));
    window.settings.setValue(QStringLiteral("Settings/MainTop"), QStringLiteral("2250"));
    window.settings.setValue(QStringLiteral("Settings/MainWidth"), QStringLiteral("99999"));
    window.settings.setValue(QStringLiteral("Settings/MainHeight"), QStringLiteral("15"));
    window.frm.adjustSize();
    const QSize size = window.frm.size(); // the window's own, from its fixed layout
    window.frm.Form_Load();
    EXPECT_EQ(window.frm.pos(), pixels(1500, 2250));
    EXPECT_EQ(window.frm.size(), size);
}

TEST_F(Placement, APositionOffEveryScreenOrNotANumberOpensAtTheDefault)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const double farRight = glint::twips::fromPixels(&window.frm, screen.right() + 5000);
    window.settings.setValue(QStringLiteral("Settings/MainLeft"), QString::number(farRight));
    window.frm.Form_Load();
    EXPECT_EQ(window.frm.pos(), pixels(1000, 1000));
    window.settings.setValue(QStringLiteral("Settings/MainLeft"), QStringLiteral("left"));
    window.frm.move(0, 0);
    window.frm.Form_Load();
    EXPECT_EQ(window.frm.pos(), pixels(1000, 1000));
}

TEST_F(Placement, ClosingWritesThePlacementUnlessMinimised)
{
    window.frm.Form_Load();
    window.frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window.frm));
    window.frm.move(pixels(3000, 1500));
    window.frm.close();
    const QRect frame = window.frm.frameGeometry();
    const auto asText = [&](int pixels) {
        return QString::number(static_cast<float>(glint::twips::fromPixels(&window.frm, pixels)));
    };
    EXPECT_EQ(stored("Settings/MainLeft"), QStringLiteral("3000"));
    EXPECT_EQ(stored("Settings/MainTop"), QStringLiteral("1500"));
    EXPECT_EQ(stored("Settings/MainWidth"), asText(frame.width()));
    EXPECT_EQ(stored("Settings/MainHeight"), asText(frame.height()));

    window.frm.show();
    window.frm.move(pixels(4500, 4500));
    window.frm.showMinimized();
    ASSERT_TRUE(window.frm.isMinimized());
    window.frm.close();
    EXPECT_EQ(stored("Settings/MainLeft"), QStringLiteral("3000")) << "a minimised close writes nothing";
    EXPECT_EQ(stored("Settings/MainTop"), QStringLiteral("1500"));
}

TEST_F(Placement, ExitAndTheExitButtonClose)
{
    window.frm.show();
    window.frm.findChild<QAction*>(QStringLiteral("mexit"))->trigger();
    EXPECT_FALSE(window.frm.isVisible());
    EXPECT_TRUE(window.settings.contains(QStringLiteral("Settings/MainLeft")));
    window.settings.clear();
    window.frm.show();
    QTest::mouseClick(window.frm.findChild<QToolButton*>(QStringLiteral("cmdExit")), Qt::LeftButton);
    EXPECT_FALSE(window.frm.isVisible());
    EXPECT_TRUE(window.settings.contains(QStringLiteral("Settings/MainLeft")));
}

} // namespace

// At a fractional scale a control's one-pixel frame covers a fraction of a
// device pixel, and the list inside it starts on the next whole one: the
// control itself must paint that strip, or the frame's caption and background
// show through its border.
class LayoutAtScale : public Layout, public testing::WithParamInterface<double> {};

TEST_P(LayoutAtScale, EveryListPaintsAllOfItsDevicePixels)
{
    const double scale = GetParam();
    const QColor unpainted(0xFF, 0x00, 0xFF);
    for (const char* name : {"Dir1", "File1"}) {
        QWidget* list = control(name);
        // Only the device pixels that lie wholly inside the control.
        QImage image(int(list->width() * scale), int(list->height() * scale), QImage::Format_RGB32);
        image.setDevicePixelRatio(scale);
        image.fill(unpainted);
        list->render(&image, {}, {}, QWidget::DrawChildren);
        int bare = 0;
        QPoint first(-1, -1);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixelColor(x, y) != unpainted) continue;
                if (bare++ == 0) first = {x, y};
            }
        }
        EXPECT_EQ(bare, 0) << name << " at " << scale << ": first unpainted device pixel at " << first.x() << ","
                           << first.y() << " of " << image.width() << "x" << image.height();
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, LayoutAtScale, testing::Values(1.0, 1.25, 1.5, 2.0));

TEST(WholeDevicePixels, LengthsGrowToTheNextWholeDevicePixel)
{
    using glint::twips::toWholeDevicePixels;
    EXPECT_EQ(toWholeDevicePixels(18, 1.0), 18) << "nothing changes at 1x";
    EXPECT_EQ(toWholeDevicePixels(18, 1.25), 20);
    EXPECT_EQ(toWholeDevicePixels(20, 1.25), 20);
    EXPECT_EQ(toWholeDevicePixels(17, 1.5), 18);
    EXPECT_EQ(toWholeDevicePixels(18, 1.5), 18);
    EXPECT_EQ(toWholeDevicePixels(19, 2.0), 19);
    EXPECT_EQ(toWholeDevicePixels(19, 1.75), 20);
    EXPECT_EQ(toWholeDevicePixels(18, 1.0 + 1.0 / 17), 18) << "no near whole length: left alone";
}
