// Icons out of the real window and the row's handling: pages read off the
// window thread, boxes drawn at the screen's pixels, every box's pop-up menu,
// Copy and drag, Save All Icons, and the keys and wheel that move the row.
#include "FolderList.h"
#include "IconBox.h"
#include "IconImage.h"
#include "IconPage.h"
#include "UiTestSupport.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <sys/stat.h>

namespace {

using uitest::waitFor;

constexpr QRgb markerOf48Px = 0xFF000080; // bottom-right marker of the fixtures' 48 x 48 images
constexpr QRgb markerOf32Bit = 0xFFFF8000;

QString fixture(const QString& name)
{
    return uitest::iconFolder() + QLatin1Char('/') + name;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

icons::IconReader readerOf(const QString& path)
{
    return icons::IconReader{std::filesystem::path(QFile::encodeName(path).toStdString())};
}

class IconsOut : public testing::Test {
protected:
    void SetUp() override
    {
        window.frm.show();
        ASSERT_FALSE(window.frm.Dir1()->setPath(uitest::iconFolder()));
    }
    void clickFile(const QString& name) { uitest::clickFile(window.frm, name); }
    void rightClick(int box) { QTest::mouseClick(window.frm.icopic(box), Qt::RightButton); }
    bool page() { return uitest::waitForPage(window.frm); }
    int value() const { return window.frm.icoscroll()->value(); }

    uitest::Window window;
};

TEST_F(IconsOut, AClickReturnsBeforeThePageIsReadAndThePageFollows)
{
    glint::FileList* list = window.frm.File1();
    ASSERT_TRUE(waitFor([&] { return list->selectFile(QStringLiteral("icons64.dll")); }));
    ASSERT_TRUE(page());
    // The window thread only asks for the page: it stays free for the user meanwhile.
    ASSERT_TRUE(list->selectFile(QStringLiteral("nine.icl")));
    EXPECT_TRUE(window.frm.pageLoading());
    EXPECT_EQ(window.frm.icopic(7)->holdsIcon(), false) << "the page is drawn when it is read";
    QSignalSpy drawn(&window.frm, &glint::FrmMain::pageDrawn);
    ASSERT_TRUE(page());
    EXPECT_EQ(drawn.count(), 1);
    EXPECT_TRUE(window.frm.icopic(7)->holdsIcon());
    EXPECT_EQ(window.frm.icoscroll()->maximum(), 8);

    // A page overtaken by the next request is never drawn.
    window.frm.icoscroll()->setValue(1);
    window.frm.icoscroll()->setValue(8);
    ASSERT_TRUE(page());
    EXPECT_EQ(drawn.count(), 2);
    EXPECT_EQ(window.frm.icopic(0)->picture().pixel(28, 28), markerOf32Bit) << "icon 8";
}

TEST_F(IconsOut, AtTwiceTheScaleABoxShowsTheImageThatBestFitsItsPixels)
{
    // Icon 2 of the library is scaled.ico: 16 x 16 and 48 x 48 images.
    const glint::IconPage page = glint::readIconPage(fixture(QStringLiteral("icons64.dll")), 2, 2, 64);
    ASSERT_EQ(page.count, 3);
    ASSERT_EQ(page.boxes.size(), 2u);
    const glint::IconPageBox& box = page.boxes[0];
    EXPECT_EQ(box.icon.size(), QSize(32, 32)) << "the picture Save writes keeps the standard size";
    ASSERT_EQ(box.shown.size(), QSize(64, 64)) << "device pixels";
    EXPECT_EQ(box.shown.devicePixelRatio(), 2.0);
    EXPECT_EQ(box.shown.pixel(60, 60), markerOf48Px) << "from the 48 x 48 image";
    EXPECT_TRUE(page.boxes[1].icon.isNull()) << "past the last icon";

    // The 48 x 48 image scaled smoothly to 64, not the 32 x 32 picture doubled.
    const auto reader = readerOf(fixture(QStringLiteral("scaled.ico")));
    const auto large = reader.image(0, {icons::ImageChoice::Rule::Largest, 0}, icons::decodePng);
    ASSERT_TRUE(large);
    const QImage expected = icons::toQImage(std::get<icons::Image>(*large))
                                .scaled(64, 64, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                .convertToFormat(QImage::Format_ARGB32);
    QImage shown = box.shown.convertToFormat(QImage::Format_ARGB32);
    shown.setDevicePixelRatio(1);
    EXPECT_EQ(shown, expected);

    // The box paints those pixels one for one on a screen of twice the pixels.
    glint::IconBox iconBox(0, nullptr);
    iconBox.resize(34, 34);
    iconBox.drawIcon(box.icon, {}, box.shown);
    QImage screen(68, 68, QImage::Format_RGB32);
    screen.setDevicePixelRatio(2);
    iconBox.render(&screen);
    for (const QPoint at : {QPoint(8, 24), QPoint(40, 8), QPoint(8, 40), QPoint(60, 60), QPoint(47, 33)})
        EXPECT_EQ(screen.pixel(at + QPoint(2, 2)), QColor::fromRgba(expected.pixel(at)).rgb())
            << at.x() << ", " << at.y();

    // At scale 1 the box shows its picture.
    const glint::IconPage plain = glint::readIconPage(fixture(QStringLiteral("icons64.dll")), 2, 1, 32);
    EXPECT_EQ(plain.boxes[0].shown, plain.boxes[0].icon);
}

TEST_F(IconsOut, EveryBoxWithAnIconOffersSaveAndCopy)
{
    clickFile(QStringLiteral("icons64.dll"));
    const QStringList items{QStringLiteral("Sa&ve"), QStringLiteral("&Copy")};
    QStringList texts;
    for (const QAction* action : window.frm.mnuPopUp()->actions()) texts << action->text();
    EXPECT_EQ(texts, items);

    rightClick(5);
    EXPECT_EQ(window.prompts.popUps, 0) << "a blank box offers nothing";
    rightClick(2);
    EXPECT_EQ(window.prompts.popUps, 1);
    for (int b = 0; b < 8; ++b) EXPECT_EQ(window.frm.icopic(b)->hasBorder(), b == 2) << "box " << b;

    // Copy: the largest image with its alpha, as PNG and as an image.
    window.prompts.chooseCopy = true;
    rightClick(2);
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied);
    const QByteArray png = icons::largestImageAsPng(readerOf(fixture(QStringLiteral("icons64.dll"))), 2);
    ASSERT_FALSE(png.isEmpty());
    EXPECT_EQ(copied->data(QStringLiteral("image/png")), png);
    EXPECT_EQ(qvariant_cast<QImage>(copied->imageData()).size(), QSize(48, 48));
    window.prompts.chooseCopy = false;

    // Save on another box saves that box's icon.
    window.prompts.chooseSave = true;
    window.prompts.saveFormat = glint::SaveFormat::IconFile;
    window.prompts.savePath = window.folder.filePath(QStringLiteral("second.ico"));
    rightClick(1);
    EXPECT_TRUE(window.prompts.messages.empty());
    EXPECT_EQ(contents(window.prompts.savePath), contents(fixture(QStringLiteral("depth1.ico"))));
}

TEST_F(IconsOut, ADraggedIconIsAPngFileAndAnImage)
{
    clickFile(QStringLiteral("icons64.dll"));
    window.frm.icoscroll()->setValue(1);
    ASSERT_TRUE(page());
    QString error;
    EXPECT_EQ(window.frm.iconMimeData(2, &error), nullptr) << "a blank box";
    std::unique_ptr<QMimeData> data(window.frm.iconMimeData(1, &error));
    ASSERT_TRUE(data) << error.toStdString();
    const QByteArray png = icons::largestImageAsPng(readerOf(fixture(QStringLiteral("icons64.dll"))), 2);
    EXPECT_EQ(data->data(QStringLiteral("image/png")), png);
    EXPECT_EQ(qvariant_cast<QImage>(data->imageData()).size(), QSize(48, 48));
    ASSERT_EQ(data->urls().size(), 1);
    const QString file = data->urls()[0].toLocalFile();
    EXPECT_EQ(QFileInfo(file).fileName(), QStringLiteral("icons64-3.png")) << "named after the file and the icon";
    EXPECT_EQ(contents(file), png);

    // The left button dragged past the drag distance starts the drag; a click does not.
    glint::IconBox box(4, nullptr);
    box.resize(34, 34);
    box.drawIcon(window.frm.icopic(1)->picture());
    QSignalSpy started(&box, &glint::IconBox::dragStarted);
    QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(10, 10));
    QMouseEvent near(QEvent::MouseMove, QPointF(11, 10), box.mapToGlobal(QPointF(11, 10)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&box, &near);
    EXPECT_EQ(started.count(), 0);
    QMouseEvent far(QEvent::MouseMove, QPointF(30, 30), box.mapToGlobal(QPointF(30, 30)), Qt::NoButton, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(&box, &far);
    ASSERT_EQ(started.count(), 1);
    EXPECT_EQ(started[0][0].toInt(), 4);
}

TEST_F(IconsOut, SaveAllIconsWritesEveryIconIntoTheChosenFolder)
{
    EXPECT_FALSE(window.frm.mnuSaveAll()->isEnabled()) << "no file loaded";
    clickFile(QStringLiteral("icons64.dll"));
    ASSERT_TRUE(window.frm.mnuSaveAll()->isEnabled());
    const QString folder = window.folder.filePath(QStringLiteral("all"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QSignalSpy saved(&window.frm, &glint::FrmMain::iconsSaved);
    for (const auto format : {icons::ExportFormat::Icon, icons::ExportFormat::Png}) {
        window.prompts.saveAll = {folder, format};
        window.frm.mnuSaveAll()->trigger();
        ASSERT_TRUE(waitFor([&] { return !saved.isEmpty(); }));
        EXPECT_EQ(saved.takeFirst()[0].toInt(), 3);
    }
    EXPECT_TRUE(window.prompts.messages.empty());
    const auto reader = readerOf(fixture(QStringLiteral("icons64.dll")));
    for (int icon = 0; icon < 3; ++icon) {
        const QString name = folder + QStringLiteral("/icons64-%1").arg(icon + 1);
        EXPECT_EQ(contents(name + QStringLiteral(".ico")), icons::iconFile(reader, icon)) << icon;
        EXPECT_EQ(contents(name + QStringLiteral(".png")), icons::largestImageAsPng(reader, icon)) << icon;
    }

    // Cancelled, nothing is written; a folder that cannot be written says so once.
    window.prompts.saveAll = {};
    window.frm.mnuSaveAll()->trigger();
    window.prompts.saveAll = {window.folder.filePath(QStringLiteral("missing")), icons::ExportFormat::Png};
    window.frm.mnuSaveAll()->trigger();
    ASSERT_TRUE(waitFor([&] { return !saved.isEmpty(); }));
    EXPECT_EQ(saved.takeFirst()[0].toInt(), 0);
    ASSERT_EQ(window.prompts.messages.size(), 1u);
    EXPECT_TRUE(window.prompts.messages[0].text.startsWith(QStringLiteral("3 of the icons could not be saved")))
        << window.prompts.messages[0].text.toStdString();
    EXPECT_EQ(window.prompts.saveAllDialogs, 4);
}

TEST_F(IconsOut, KeysAndTheWheelMoveTheRowAndOpenTheMenu)
{
    clickFile(QStringLiteral("nine.icl"));
    // Tab goes from the file list to the row.
    window.frm.activateWindow();
    window.frm.File1()->setFocus();
    for (int press = 0; press < 10 && !window.frm.icopic(0)->hasFocus(); ++press)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(window.frm.icopic(0)->hasFocus());

    glint::IconBox* row = window.frm.icopic(0);
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(row, key, modifiers);
        return page();
    };
    ASSERT_TRUE(press(Qt::Key_Right));
    EXPECT_EQ(value(), 1);
    ASSERT_TRUE(press(Qt::Key_End));
    EXPECT_EQ(value(), 8) << "the last icon first";
    ASSERT_TRUE(press(Qt::Key_Left));
    EXPECT_EQ(value(), 7);
    ASSERT_TRUE(press(Qt::Key_Home));
    EXPECT_EQ(value(), 0);
    ASSERT_TRUE(press(Qt::Key_PageDown));
    EXPECT_EQ(value(), 8) << "a page of eight";
    ASSERT_TRUE(press(Qt::Key_PageUp));
    EXPECT_EQ(value(), 0);

    QTest::keyClick(row, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(window.prompts.popUps, 1);
    QTest::keyClick(row, Qt::Key_Menu);
    EXPECT_EQ(window.prompts.popUps, 2);

    // The wheel over the row, a box or the white between the boxes.
    const auto wheel = [&](QWidget* over, QPoint at, int delta) {
        QWheelEvent event(at, over->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(over, &event);
        return page();
    };
    glint::IconBox* box = window.frm.icopic(3);
    ASSERT_TRUE(wheel(box, box->rect().center(), -120));
    EXPECT_EQ(value(), 1) << "a notch down moves on one icon";
    ASSERT_TRUE(wheel(box, box->rect().center(), -240));
    EXPECT_EQ(value(), 3);
    ASSERT_TRUE(wheel(box->parentWidget(), box->geometry().topRight() + QPoint(8, 8), 120));
    EXPECT_EQ(value(), 2) << "up moves back, between the boxes too";
    ASSERT_TRUE(wheel(window.frm.icopic(0), {4, 4}, 60));
    ASSERT_TRUE(wheel(window.frm.icopic(0), {4, 4}, 60));
    EXPECT_EQ(value(), 1) << "fine steps add up to notches";
}

} // namespace
