// A tool window that follows the face: where it opens, how it follows a
// dragged face, that the listener's own place for it is kept and
// remembered, and that it always opens on a screen.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "FaceToolWindow.h"
#include "ProcessUntil.h"
#include "Settings.h"
#include "TempFolder.h"

namespace {

const QSize toolSize(300, 200);

struct ToolFixture {
    TempFolder folder;
    std::string settingsFile = folder.file("Sonorbox.ini");
    QWidget face{nullptr, Qt::FramelessWindowHint};

    explicit ToolFixture(QPoint facePlace = QPoint(100, 100))
    {
        face.setGeometry(QRect(facePlace, QSize(250, 100)));
        face.show();
    }

    ToolWindowPlace place() const { return ToolWindowPlace(settingsFile, "Tool"); }
    std::unique_ptr<FaceToolWindow> tool(FaceToolWindow::Side side = FaceToolWindow::Side::right)
    {
        return std::make_unique<FaceToolWindow>(face, place(), "Tool", toolSize, side);
    }
};

QRect workArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

} // namespace

TEST(FaceToolWindow, OpensRightOfTheFaceAndMovesAlongWhenTheFaceIsDragged)
{
    ToolFixture fixture;
    auto tool = fixture.tool();
    EXPECT_TRUE(tool->isWindow());
    EXPECT_EQ(tool->parentWidget(), &fixture.face);
    tool->setOpen(true);
    EXPECT_EQ(tool->pos(), QPoint(350, 100));
    EXPECT_EQ(tool->size(), toolSize);

    fixture.face.move(120, 130);
    EXPECT_EQ(tool->pos(), QPoint(370, 130));
    EXPECT_EQ(tool->offsetFromFace(), QPoint(250, 0));
    // Following is no move of the listener's: nothing waits to be saved.
    EXPECT_FALSE(tool->placeWaiting());
    EXPECT_FALSE(fixture.place().readPlace().has_value());
}

TEST(FaceToolWindow, OneOpeningBelowTheFaceGoesAboveItWhenBelowHasNoRoom)
{
    {
        ToolFixture fixture;
        auto tool = fixture.tool(FaceToolWindow::Side::below);
        tool->setOpen(true);
        EXPECT_EQ(tool->pos(), QPoint(100, 200));
    }
    const QRect area = workArea();
    {
        ToolFixture fixture(QPoint(100, area.bottom() + 1 - 100));
        auto tool = fixture.tool(FaceToolWindow::Side::below);
        tool->setOpen(true);
        EXPECT_EQ(tool->pos(), QPoint(100, area.bottom() + 1 - 100 - toolSize.height()));
    }
}

TEST(FaceToolWindow, KeepsTheListenersPlaceBesideTheFaceAndRemembersIt)
{
    ToolFixture fixture;
    {
        auto tool = fixture.tool();
        tool->setOpen(true);
        tool->move(90, 220);
        EXPECT_EQ(tool->offsetFromFace(), QPoint(-10, 120));
        tool->resize(320, 240);
        EXPECT_TRUE(tool->placeWaiting());
        // Saved once the moves rest.
        EXPECT_TRUE(processUntil([&] { return !tool->placeWaiting(); }));
        const auto saved = fixture.place().readPlace();
        ASSERT_TRUE(saved.has_value());
        EXPECT_EQ(saved->x, -10);
        EXPECT_EQ(saved->y, 120);
        EXPECT_EQ(saved->width, 320);
        EXPECT_EQ(saved->height, 240);

        fixture.face.move(200, 150);
        EXPECT_EQ(tool->pos(), QPoint(190, 270));
        tool->move(500, 160);
        // The window's end saves what waits.
    }
    fixture.face.move(100, 100);
    auto again = fixture.tool();
    again->setOpen(true);
    EXPECT_EQ(again->pos(), QPoint(400, 110));
    EXPECT_EQ(again->size(), QSize(320, 240));
}

TEST(FaceToolWindow, RemembersWhetherItIsShownAndTellsEachChange)
{
    ToolFixture fixture;
    std::vector<bool> told;
    {
        auto tool = fixture.tool();
        tool->onOpenChanged = [&told](bool open) { told.push_back(open); };
        tool->openAsRemembered();
        EXPECT_FALSE(tool->isOpen());
        tool->setOpen(true);
        EXPECT_TRUE(tool->isOpen());
        EXPECT_TRUE(fixture.place().readShown());
    }
    {
        auto tool = fixture.tool();
        tool->onOpenChanged = [&told](bool open) { told.push_back(open); };
        tool->openAsRemembered();
        EXPECT_TRUE(tool->isOpen());
        // The frame's close button closes it as the menu does.
        tool->close();
        EXPECT_FALSE(tool->isOpen());
        EXPECT_FALSE(fixture.place().readShown());
        EXPECT_TRUE(fixture.face.isVisible());
    }
    EXPECT_EQ(told, std::vector<bool>({true, true, false}));
}

TEST(FaceToolWindow, OpensWhollyOnAScreen)
{
    const QRect area = workArea();
    {
        // No room right of a face at the screen's right edge: left of it.
        ToolFixture fixture(QPoint(area.right() + 1 - 250, 100));
        auto tool = fixture.tool();
        tool->setOpen(true);
        EXPECT_EQ(tool->pos(), QPoint(area.right() + 1 - 250 - toolSize.width(), 100));
    }
    {
        // A place remembered partly off the screen is brought onto it.
        ToolFixture fixture(QPoint(100, 100));
        fixture.place().writePlace({0, area.bottom() - 150, 300, 200});
        auto tool = fixture.tool();
        tool->setOpen(true);
        EXPECT_TRUE(area.contains(tool->frameGeometry()));
        EXPECT_EQ(tool->pos().x(), 100);
    }
    {
        // One wholly off every screen (a screen since gone): beside the face.
        ToolFixture fixture(QPoint(100, 100));
        fixture.place().writePlace({20000, 20000, 300, 200});
        auto tool = fixture.tool();
        tool->setOpen(true);
        EXPECT_EQ(tool->pos(), QPoint(350, 100));
    }
}
