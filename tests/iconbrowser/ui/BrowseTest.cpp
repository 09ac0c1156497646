// Browsing on the real window: file clicks, scrolling, the pop-up menu, saving.
#include "FileList.h"
#include "FolderList.h"
#include "DriveList.h"
#include "IconBox.h"
#include "SaveIcon.h"
#include "UiTestSupport.h"

#include "DeflatedRows.h"

#include <QComboBox>
#include <QDir>
#include <QRegularExpression>
#include <QSet>
#include <QFileDialog>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidgetItemIterator>

#include <sys/stat.h>

namespace {

using uitest::waitFor;

constexpr QRgb markerOf8Bit = 0xFF00FFFF;  // bottom-right marker of the fixtures' 8-bit images
constexpr QRgb markerOf32Bit = 0xFFFF8000; // and of their 32-bit images

class Browse : public testing::Test {
protected:
    void SetUp() override { window.frm.show(); }

    void openFolder(const QString& path) { ASSERT_FALSE(window.frm.Dir1()->setPath(path)); }

    // Clicks `name` in the file list with the mouse, once the list shows it, and waits for its page.
    void clickFile(const QString& name) { uitest::clickFile(window.frm, name); }

    // Moves the row to `value` and waits for its page.
    void scrollTo(int value)
    {
        window.frm.icoscroll()->setValue(value);
        scrolled();
    }
    void scrolled() { ASSERT_TRUE(uitest::waitForPage(window.frm)); }

    QImage picture(int box) const { return window.frm.icopic(box)->picture(); }
    QColor background() const { return window.frm.icopic(0)->background(); }
    bool blank(int box) const { return uitest::isBlank(picture(box), background()); }
    std::vector<bool> borders() const
    {
        std::vector<bool> result;
        for (int b = 0; b < glint::FrmMain::iconBoxCount; ++b) result.push_back(window.frm.icopic(b)->hasBorder());
        return result;
    }
    void rightClick(int box) { QTest::mouseClick(window.frm.icopic(box), Qt::RightButton); }

    uitest::Window window;
    const std::vector<bool> noBorders = std::vector<bool>(8, false);
    const std::vector<bool> firstBorder = {true, false, false, false, false, false, false, false};
};

TEST_F(Browse, AFileClickDrawsTheFirstPageWithoutBorders)
{
    openFolder(uitest::iconFolder());
    clickFile(QStringLiteral("icons64.dll"));
    EXPECT_EQ(window.frm.loadedPath(), uitest::iconFolder() + QStringLiteral("/icons64.dll"));
    EXPECT_EQ(window.frm.iconsPresent(), 1);
    EXPECT_EQ(window.frm.icoscroll()->maximum(), 2) << "the last value shows the last icon first";
    EXPECT_TRUE(window.frm.icoscroll()->isEnabled());
    EXPECT_EQ(borders(), noBorders);
    for (int b = 0; b < 8; ++b) {
        ASSERT_EQ(picture(b).size(), QSize(32, 32)) << "box " << b;
        EXPECT_EQ(blank(b), b >= 3) << "box " << b;
    }
    // Icon 1 is depth1.ico's 32 x 32: its white corner stays, its transparent corner shows the box.
    EXPECT_EQ(picture(0).pixel(2, 2), background().rgb());
    EXPECT_EQ(picture(1).pixel(28, 28), qRgb(255, 255, 255));
}

TEST_F(Browse, ScrollingRedrawsFromTheValueAndBordersTheFirstBox)
{
    openFolder(uitest::iconFolder());
    clickFile(QStringLiteral("icons64.dll"));
    const QImage second = picture(1);
    scrollTo(1);
    EXPECT_EQ(borders(), firstBorder);
    EXPECT_EQ(picture(0), second);
    EXPECT_TRUE(blank(2));
    // Dragging the thumb draws nothing until it is let go.
    window.frm.icoscroll()->setSliderDown(true);
    window.frm.icoscroll()->setSliderPosition(2);
    EXPECT_EQ(picture(0), second);
    window.frm.icoscroll()->setSliderDown(false);
    scrolled();
    EXPECT_EQ(window.frm.icoscroll()->value(), 2);
    EXPECT_TRUE(blank(1));
}

TEST_F(Browse, NineIconsAtTheLastValues)
{
    openFolder(uitest::iconFolder());
    clickFile(QStringLiteral("nine.icl"));
    ASSERT_EQ(window.frm.icoscroll()->maximum(), 8) << "no value past the last icon";
    EXPECT_EQ(picture(7).pixel(28, 28), markerOf8Bit);
    // Every way to the end, click by click or the thumb dragged there, shows the last icon first.
    for (int click = 0; click < 12; ++click)
        window.frm.icoscroll()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    scrolled();
    EXPECT_EQ(window.frm.icoscroll()->value(), 8);
    EXPECT_EQ(picture(0).pixel(28, 28), markerOf32Bit) << "icon 8 stands first";
    for (int b = 1; b < 8; ++b) EXPECT_TRUE(blank(b)) << "box " << b;
    EXPECT_EQ(borders(), firstBorder);
    rightClick(0);
    EXPECT_EQ(window.prompts.popUps, 1) << "Save is offered for the last icon";
    scrollTo(0);
    window.frm.icoscroll()->setSliderDown(true);
    window.frm.icoscroll()->setSliderPosition(window.frm.icoscroll()->maximum());
    window.frm.icoscroll()->setSliderDown(false);
    scrolled();
    EXPECT_EQ(picture(0).pixel(28, 28), markerOf32Bit) << "the thumb at the end";
}

TEST_F(Browse, TheRightClickOffersSaveOnlyOnTheFirstBoxOfAFileWithIcons)
{
    openFolder(uitest::iconFolder());
    clickFile(QStringLiteral("icons32.exe"));
    rightClick(3);
    QTest::mouseClick(window.frm.icopic(0), Qt::LeftButton);
    EXPECT_EQ(window.prompts.popUps, 0);
    EXPECT_EQ(borders(), noBorders);
    rightClick(0);
    EXPECT_EQ(window.prompts.popUps, 1);
    EXPECT_EQ(borders(), firstBorder);
    EXPECT_EQ(window.prompts.saveDialogs, 0) << "dismissing the menu saves nothing";

    clickFile(QStringLiteral("make_icons.py"));
    EXPECT_EQ(window.frm.iconsPresent(), 0);
    EXPECT_FALSE(window.frm.icoscroll()->isEnabled());
    EXPECT_EQ(window.frm.icoscroll()->maximum(), 0);
    for (int b = 0; b < 8; ++b) EXPECT_TRUE(blank(b)) << "box " << b;
    rightClick(0);
    EXPECT_EQ(window.prompts.popUps, 1) << "no menu for a file without icons";
}

TEST_F(Browse, KeysChooseFilesButTheFocusAloneDoesNot)
{
    openFolder(uitest::iconFolder());
    clickFile(QStringLiteral("depth8.ico"));
    window.frm.File1()->clearSelection();
    window.frm.File1()->setCurrentIndex({});
    const QString before = window.frm.loadedPath();
    window.frm.Dir1()->setFocus();
    window.frm.File1()->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.frm.loadedPath(), before);
    QTest::keyClick(window.frm.File1(), Qt::Key_Down);
    EXPECT_NE(window.frm.loadedPath(), before) << "a file chosen with the arrow keys is loaded";
}

TEST_F(Browse, OneIconDisablesTheBar)
{
    openFolder(uitest::iconFolder());
    clickFile(QStringLiteral("depth8.ico"));
    EXPECT_EQ(window.frm.icoscroll()->maximum(), 0) << "the one icon is the last";
    EXPECT_FALSE(window.frm.icoscroll()->isEnabled());
    EXPECT_FALSE(blank(0));
    EXPECT_TRUE(blank(1));
}

TEST_F(Browse, ClickingTheLoadedFileAgainOnlyResetsTheScroll)
{
    openFolder(uitest::iconFolder());
    clickFile(QStringLiteral("icons64.dll"));
    const QImage first = picture(0);
    scrollTo(2);
    clickFile(QStringLiteral("icons64.dll"));
    EXPECT_EQ(window.frm.icoscroll()->value(), 0);
    EXPECT_EQ(picture(0), first);
    EXPECT_EQ(borders(), firstBorder) << "the borders stay as the redraw set them";
}

TEST_F(Browse, FolderAndDriveChangesLeaveTheShownIcons)
{
    openFolder(uitest::iconFolder());
    clickFile(QStringLiteral("icons64.dll"));
    const QString loaded = window.frm.loadedPath();
    openFolder(QDir::rootPath());
    EXPECT_EQ(window.frm.File1()->path(), QDir::rootPath()) << "the file list follows the folder list";
    EXPECT_EQ(window.frm.loadedPath(), loaded);
    scrollTo(1);
    EXPECT_FALSE(blank(0)) << "a scroll still draws from the loaded file";
}

TEST_F(Browse, AFolderEndingInASeparatorGetsNoSecondOne)
{
    window.frm.File1()->setPath(uitest::iconFolder() + QLatin1Char('/'));
    clickFile(QStringLiteral("depth4.ico"));
    EXPECT_EQ(window.frm.loadedPath(), uitest::iconFolder() + QStringLiteral("/depth4.ico"));
}

TEST_F(Browse, FilesThatCannotBeReadCountNoIconsAtOnce)
{
    const QString fifo = window.folder.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    openFolder(window.folder.path());
    clickFile(QStringLiteral("pipe")); // would hang here if the pipe were opened for reading
    EXPECT_EQ(window.frm.iconsPresent(), 0);
    window.frm.File1()->setPath(QStringLiteral("/dev"));
    clickFile(QStringLiteral("zero"));
    EXPECT_EQ(window.frm.loadedPath(), QStringLiteral("/dev/zero"));
    EXPECT_EQ(window.frm.iconsPresent(), 0);
}

TEST_F(Browse, SaveWritesTheFirstBoxAsABitmap)
{
    openFolder(uitest::iconFolder());
    clickFile(QStringLiteral("icons32.exe"));
    scrollTo(2);
    const QString path = window.folder.filePath(QStringLiteral("saved.bmp"));
    window.prompts.savePath = path;
    window.prompts.chooseSave = true;
    rightClick(0);
    ASSERT_EQ(window.prompts.saveDialogs, 1);
    EXPECT_TRUE(window.prompts.messages.empty());
    const QImage saved(path, "BMP");
    ASSERT_EQ(saved.size(), QSize(32, 32)) << "the box's inner size";
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), picture(0).convertToFormat(QImage::Format_RGB32));
    // Icon 2 is scaled.ico: 16 and 48 pixel images, the 48 scaled down; corner on the background.
    EXPECT_EQ(saved.pixel(2, 2), background().rgb());
    EXPECT_EQ(saved.pixel(28, 28), qRgb(0, 0, 128));
}

TEST_F(Browse, AHostilePngGivesWayToTheBitmapOnThePageAndInTheSavedFile)
{
    using namespace iconbytes;
    const Bytes rows = rgbaRows(32, 32, 0xFF00FF00u);
    const Bytes red = dib32(32, 0xFFFF0000u);
    const QDir icons(window.folder.filePath(QStringLiteral("icons")));
    ASSERT_TRUE(icons.mkpath(QStringLiteral(".")));
    write(icons.filePath(QStringLiteral("damaged.ico")).toStdString(),
          ico({{32, 32, png(header(32, 32), damaged(deflated(rows)))}, {32, 32, red}}));
    write(icons.filePath(QStringLiteral("inflating.ico")).toStdString(),
          ico({{32, 32, png(header(32, 32), deflated(rows, 8u << 20))}, {32, 32, red}}));
    openFolder(icons.path());
    for (const QString& name : {QStringLiteral("damaged.ico"), QStringLiteral("inflating.ico")}) {
        clickFile(name);
        ASSERT_EQ(window.frm.loadedPath(), icons.filePath(name));
        EXPECT_EQ(picture(0).pixel(16, 16), qRgb(255, 0, 0)) << name.toStdString();
        const QString path = window.folder.filePath(name + QStringLiteral(".bmp"));
        window.prompts.savePath = path;
        window.prompts.chooseSave = true;
        rightClick(0);
        const QImage saved(path, "BMP");
        ASSERT_EQ(saved.size(), QSize(32, 32)) << name.toStdString();
        EXPECT_EQ(saved.pixel(16, 16), qRgb(255, 0, 0)) << name.toStdString();
    }
}

TEST_F(Browse, AFailedSaveSaysSoAndLeavesNoFile)
{
    openFolder(uitest::iconFolder());
    clickFile(QStringLiteral("icons32.exe"));
    const QString path = window.folder.filePath(QStringLiteral("no-such-folder/saved.bmp"));
    window.prompts.savePath = path;
    window.prompts.chooseSave = true;
    rightClick(0);
    ASSERT_EQ(window.prompts.messages.size(), 1u);
    EXPECT_EQ(window.prompts.messages[0].title, QStringLiteral("Glint Gatherer"));
    EXPECT_TRUE(window.prompts.messages[0].text.contains(path)) << window.prompts.messages[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(path));
    QStringList left = QDir(window.folder.path()).entryList(QDir::Files | QDir::Hidden);
    left.removeAll(QStringLiteral("settings.ini"));
    EXPECT_EQ(left, QStringList()) << "no temporary file left";
}

TEST_F(Browse, CancellingTheDialogWritesNothing)
{
    openFolder(uitest::iconFolder());
    clickFile(QStringLiteral("icons32.exe"));
    window.prompts.chooseSave = true;
    rightClick(0);
    EXPECT_EQ(window.prompts.saveDialogs, 1);
    EXPECT_TRUE(window.prompts.messages.empty());
}

TEST(SaveDialog, IsSetUpAfreshEveryTime)
{
    for (int time = 0; time < 2; ++time) {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        glint::configureSaveDialog(dialog);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Save As Bitmap"));
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog.nameFilters(), QStringList() << QStringLiteral("Bitmap Files (*.bmp)")
                                                      << QStringLiteral("PNG Image (*.png)")
                                                      << QStringLiteral("Icon File (*.ico)"));
        EXPECT_EQ(dialog.selectedNameFilter(), QStringLiteral("Bitmap Files (*.bmp)"));
        EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("bmp"));
        EXPECT_FALSE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
        ASSERT_EQ(dialog.selectedFiles().size(), 1);
        EXPECT_TRUE(dialog.selectedFiles()[0].endsWith(QStringLiteral("/Untitled.bmp")))
            << dialog.selectedFiles()[0].toStdString();
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_TRUE(types);
        QTest::keyClick(types, Qt::Key_Down);
        QTest::keyClick(types, Qt::Key_Down);
        EXPECT_EQ(glint::formatOfFilter(dialog.selectedNameFilter()), glint::SaveFormat::IconFile);
        EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("ico")) << "a name typed without one gets the filter's";
        EXPECT_TRUE(dialog.selectedFiles()[0].endsWith(QStringLiteral("/Untitled.ico")))
            << "the name follows the filter";
    }
}

TEST(SaveDialog, ANameWithoutTheFiltersExtensionGetsIt)
{
    using glint::SaveFormat;
    using glint::withExtension;
    EXPECT_EQ(withExtension(QStringLiteral("/t/a"), SaveFormat::Png), QStringLiteral("/t/a.png"));
    EXPECT_EQ(withExtension(QStringLiteral("/t/a.PNG"), SaveFormat::Png), QStringLiteral("/t/a.PNG"));
    EXPECT_EQ(withExtension(QStringLiteral("/t/a.bmp"), SaveFormat::IconFile), QStringLiteral("/t/a.bmp.ico"))
        << "the chosen filter decides the format";
    EXPECT_EQ(withExtension(QStringLiteral("/t.d/a"), SaveFormat::Bitmap), QStringLiteral("/t.d/a.bmp"));
}

// The bytes of the images an icon file holds, in its order.
std::vector<QByteArray> imagesOfIconFile(const QByteArray& file)
{
    const auto u16 = [&](int at) { return static_cast<quint8>(file[at]) | static_cast<quint8>(file[at + 1]) << 8; };
    const auto u32 = [&](int at) { return static_cast<quint32>(u16(at)) | static_cast<quint32>(u16(at + 2)) << 16; };
    std::vector<QByteArray> images;
    if (file.size() < 6 || u16(0) != 0 || u16(2) != 1) return images;
    for (int i = 0; i < u16(4) && 6 + 16 * (i + 1) <= file.size(); ++i)
        images.push_back(file.mid(u32(6 + 16 * i + 12), u32(6 + 16 * i + 8)));
    return images;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(Browse, SaveAsIconFileWritesTheGroupsImagesAsStored)
{
    openFolder(uitest::iconFolder());
    // The three groups of the PE fixtures were linked from these icon files.
    const QStringList sources{QStringLiteral("mixed.ico"), QStringLiteral("depth1.ico"), QStringLiteral("scaled.ico")};
    window.prompts.chooseSave = true;
    window.prompts.saveFormat = glint::SaveFormat::IconFile;
    for (const QString& file :
         {QStringLiteral("icons32.exe"), QStringLiteral("icons64.dll"), QStringLiteral("mixed.ico")}) {
        clickFile(file);
        for (int icon = 0; icon <= window.frm.icoscroll()->maximum(); ++icon) {
            scrollTo(icon);
            window.prompts.savePath = window.folder.filePath(QStringLiteral("%1-%2.ico").arg(file).arg(icon));
            rightClick(0);
            ASSERT_TRUE(window.prompts.messages.empty()) << window.prompts.messages[0].text.toStdString();
            const auto written = imagesOfIconFile(contents(window.prompts.savePath));
            const auto expected = imagesOfIconFile(contents(uitest::iconFolder() + QLatin1Char('/') + sources[icon]));
            ASSERT_EQ(written.size(), expected.size()) << file.toStdString() << " icon " << icon;
            for (std::size_t i = 0; i < written.size(); ++i)
                EXPECT_EQ(written[i], expected[i]) << file.toStdString() << " icon " << icon << " image " << i;
        }
    }
}

TEST_F(Browse, SaveAsPngWritesTheLargestImageWithItsAlpha)
{
    openFolder(uitest::iconFolder());
    window.prompts.chooseSave = true;
    window.prompts.saveFormat = glint::SaveFormat::Png;

    clickFile(QStringLiteral("png256.ico"));
    window.prompts.savePath = window.folder.filePath(QStringLiteral("large.png"));
    rightClick(0);
    const auto stored = imagesOfIconFile(contents(uitest::iconFolder() + QStringLiteral("/png256.ico")));
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(contents(window.prompts.savePath), stored[0]) << "a PNG image is copied as stored";

    // Icon 2 of the DLL is scaled.ico: 16 x 16 and 48 x 48; the 48 is saved at its size.
    clickFile(QStringLiteral("icons64.dll"));
    scrollTo(2);
    window.prompts.savePath = window.folder.filePath(QStringLiteral("scaled.png"));
    rightClick(0);
    const QImage scaled(window.prompts.savePath, "PNG");
    EXPECT_EQ(scaled.size(), QSize(48, 48));

    // Icon 0 is mixed.ico, whose largest and deepest image is its 32-bit 32 x 32.
    scrollTo(0);
    window.prompts.savePath = window.folder.filePath(QStringLiteral("alpha.png"));
    rightClick(0);
    const QImage alpha(window.prompts.savePath, "PNG");
    ASSERT_EQ(alpha.size(), QSize(32, 32));
    EXPECT_TRUE(alpha.hasAlphaChannel());
    EXPECT_EQ(qAlpha(alpha.pixel(2, 2)), 0) << "the transparent corner stays transparent";
    EXPECT_EQ(alpha.pixel(28, 28), markerOf32Bit);
    EXPECT_TRUE(window.prompts.messages.empty());
}

TEST_F(Browse, EachBoxToolTipNamesTheIconsPlaceAndImages)
{
    openFolder(uitest::iconFolder());
    clickFile(QStringLiteral("icons32.exe"));
    EXPECT_EQ(window.frm.icopic(0)->toolTip(),
              QStringLiteral(
                  "Icon To Extract\nIcon 1 of 3\n32 x 32, 4-bit; 32 x 32, 32-bit; 32 x 32, 8-bit; 16 x 16, 32-bit"));
    EXPECT_EQ(window.frm.icopic(2)->toolTip(),
              QStringLiteral("Icons In The Executable or DLL\nIcon 3 of 3\n16 x 16, 8-bit; 48 x 48, 8-bit"));
    EXPECT_EQ(window.frm.icopic(3)->toolTip(), QStringLiteral("Icons In The Executable or DLL")) << "a blank box";
    scrollTo(1);
    EXPECT_TRUE(window.frm.icopic(0)->toolTip().startsWith(QStringLiteral("Icon To Extract\nIcon 2 of 3\n")));
    clickFile(QStringLiteral("png256.ico"));
    EXPECT_EQ(window.frm.icopic(0)->toolTip(), QStringLiteral("Icon To Extract\nIcon 1 of 1\n256 x 256 PNG"));
    clickFile(QStringLiteral("make_icons.py"));
    EXPECT_EQ(window.frm.icopic(0)->toolTip(), QStringLiteral("Icon To Extract"));
}

TEST_F(Browse, TheDriveListReadsTheMountsWhenItOpens)
{
    glint::DriveList* drives = window.frm.Drive1();
    const QString chosen = drives->drive();
    ASSERT_FALSE(chosen.isEmpty()) << "the drive of the current folder";
    openFolder(uitest::iconFolder());
    drives->showPopup();
    drives->hidePopup();
    EXPECT_GE(drives->findText(QStringLiteral("/")), 0);
    EXPECT_EQ(drives->drive(), chosen) << "opening the list changes no drive";
    EXPECT_EQ(window.frm.Dir1()->path(), uitest::iconFolder());
    EXPECT_TRUE(window.prompts.messages.empty());
}

TEST_F(Browse, TheFileListFollowsTheFolderWithoutAClick)
{
    const QDir folder(window.folder.filePath(QStringLiteral("watched")));
    ASSERT_TRUE(folder.mkpath(QStringLiteral(".")));
    const auto create = [&](const QString& name) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    };
    create(QStringLiteral("b.txt"));
    create(QStringLiteral("d.txt"));
    openFolder(folder.path());
    clickFile(QStringLiteral("d.txt"));
    const auto listed = [&] {
        QStringList names;
        const QAbstractItemModel* model = window.frm.File1()->model();
        for (int row = 0; row < model->rowCount(); ++row) names << model->index(row, 0).data().toString();
        return names;
    };
    create(QStringLiteral("A.ico"));
    create(QStringLiteral("c.exe"));
    const QStringList grown{QStringLiteral("A.ico"), QStringLiteral("b.txt"), QStringLiteral("c.exe"),
                            QStringLiteral("d.txt")};
    ASSERT_TRUE(waitFor([&] { return listed() == grown; })) << listed().join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(window.frm.File1()->fileName(), QStringLiteral("d.txt")) << "the chosen file stays chosen";
    ASSERT_TRUE(QFile::remove(folder.filePath(QStringLiteral("b.txt"))));
    ASSERT_TRUE(waitFor([&] { return !listed().contains(QStringLiteral("b.txt")); }));
    EXPECT_EQ(listed(), QStringList(grown).filter(QRegularExpression(QStringLiteral("^[^b]"))));
    EXPECT_EQ(window.frm.File1()->fileName(), QStringLiteral("d.txt"));
    EXPECT_EQ(window.frm.loadedPath(), folder.filePath(QStringLiteral("d.txt"))) << "nothing was loaded again";
}

TEST_F(Browse, APathOpensItsFolderWithTheFileChosenAndItsIconsShown)
{
    openFolder(QDir::rootPath());
    window.frm.openPath(uitest::iconFolder() + QStringLiteral("/icons64.dll"));
    EXPECT_EQ(window.frm.Dir1()->path(), uitest::iconFolder());
    ASSERT_TRUE(
        waitFor([&] { return window.frm.loadedPath() == uitest::iconFolder() + QStringLiteral("/icons64.dll"); }));
    EXPECT_EQ(window.frm.File1()->fileName(), QStringLiteral("icons64.dll"));
    ASSERT_TRUE(uitest::waitForPage(window.frm));
    EXPECT_EQ(window.frm.icoscroll()->maximum(), 2);
    EXPECT_FALSE(blank(0));
    EXPECT_EQ(window.frm.Drive1()->drive(), glint::DriveList::driveOf(uitest::iconFolder()));

    // A folder: the lists go there, the icons shown stay.
    window.frm.openPath(window.folder.path());
    EXPECT_EQ(window.frm.Dir1()->path(), window.folder.path());
    EXPECT_EQ(window.frm.File1()->path(), window.folder.path());
    EXPECT_EQ(window.frm.loadedPath(), uitest::iconFolder() + QStringLiteral("/icons64.dll"));

    window.frm.openPath(window.folder.filePath(QStringLiteral("missing.exe")));
    ASSERT_EQ(window.prompts.messages.size(), 1u);
    EXPECT_TRUE(window.prompts.messages[0].text.contains(QStringLiteral("missing.exe")));
    EXPECT_EQ(window.frm.Dir1()->path(), window.folder.path()) << "nothing moves";
}

TEST(DriveList, HoldsTheHomeFolderAndEveryWinePrefix)
{
    QTemporaryDir home;
    const QDir root(home.path());
    const QStringList prefixes{QStringLiteral(".wine/drive_c"),
                               QStringLiteral(".local/share/wineprefixes/games/drive_c"),
                               QStringLiteral(".local/share/Steam/steamapps/compatdata/220/pfx/drive_c"),
                               QStringLiteral(".local/share/bottles/bottles/Office/drive_c")};
    for (const QString& prefix : prefixes) ASSERT_TRUE(root.mkpath(prefix));
    ASSERT_TRUE(root.mkpath(QStringLiteral(".local/share/wineprefixes/empty"))) << "no drive_c: not a prefix";
    // Steam's other folder usually links to the same one: it is listed once.
    ASSERT_TRUE(root.mkpath(QStringLiteral(".steam")));
    ASSERT_TRUE(QFile::link(root.filePath(QStringLiteral(".local/share/Steam")),
                            root.filePath(QStringLiteral(".steam/steam"))));

    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    uitest::Window window;
    window.frm.Drive1()->showPopup();
    window.frm.Drive1()->hidePopup();
    qputenv("HOME", savedHome);

    QStringList listed;
    for (int i = 0; i < window.frm.Drive1()->count(); ++i) listed << window.frm.Drive1()->itemText(i);
    const QString canonicalHome = QFileInfo(home.path()).canonicalFilePath();
    QStringList expected{canonicalHome};
    for (const QString& prefix : prefixes) expected << canonicalHome + QLatin1Char('/') + prefix;
    std::sort(expected.begin() + 1, expected.end());
    EXPECT_GE(listed.indexOf(QStringLiteral("/")), 0) << "the mounts stay";
    ASSERT_GE(listed.indexOf(canonicalHome), 0) << listed.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(listed.mid(listed.indexOf(canonicalHome), expected.size()), expected);
    EXPECT_EQ(listed.size(), QSet<QString>(listed.begin(), listed.end()).size()) << "each once";

    window.frm.Drive1()->setDrive(expected.last());
    EXPECT_EQ(window.frm.Dir1()->path(), expected.last()) << "choosing a prefix opens its drive_c";
}

TEST_F(Browse, AnUnreadableDriveFallsBackToTheRoot)
{
    const QString gone = window.folder.filePath(QStringLiteral("unplugged"));
    window.frm.Drive1()->setDrive(gone);
    ASSERT_EQ(window.prompts.messages.size(), 1u);
    EXPECT_EQ(window.prompts.messages[0].title, QStringLiteral("Glint Gatherer"));
    EXPECT_EQ(window.prompts.messages[0].text,
              QStringLiteral("Error 68:  Device unavailable. \"%1\" could not be read: No such file or directory.")
                  .arg(gone));
    EXPECT_EQ(window.prompts.messages[0].icon, QMessageBox::Warning);
    EXPECT_EQ(window.frm.Drive1()->drive(), QStringLiteral("/"));
    EXPECT_EQ(window.frm.Dir1()->path(), QStringLiteral("/"));
    EXPECT_EQ(window.frm.File1()->path(), QStringLiteral("/"));
}

} // namespace

namespace {

// The texts of the folder list, top to bottom.
QStringList folderRows(glint::FolderList& list)
{
    QStringList rows;
    for (QTreeWidgetItemIterator it(&list); *it; ++it) rows << (*it)->text(0);
    return rows;
}

// The last row of that name: a sub-folder of the current folder rather than
// a folder of the path down to it that happens to share the name (a checkout
// in a folder called "icons").
QTreeWidgetItem* folderRow(glint::FolderList& list, const QString& text)
{
    QTreeWidgetItem* found = nullptr;
    for (QTreeWidgetItemIterator it(&list); *it; ++it)
        if ((*it)->text(0) == text) found = *it;
    return found;
}

TEST(FolderList, ShowsThePathDownThenTheSubFoldersAndOpensThem)
{
    uitest::Window window;
    window.frm.show();
    glint::FolderList& list = *window.frm.Dir1();
    const QString data = QDir::cleanPath(uitest::iconFolder() + QStringLiteral("/.."));
    ASSERT_FALSE(list.setPath(data));
    const QStringList rows = folderRows(list);
    const int depth = QDir::cleanPath(data).count(QLatin1Char('/'));
    QStringList subFolders = QDir(data).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    ASSERT_TRUE(subFolders.contains(QStringLiteral("icons")));
    ASSERT_EQ(rows.size(), depth + 1 + subFolders.size()) << rows.join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(rows.first(), QStringLiteral("/"));
    EXPECT_EQ(rows.mid(depth, 1 + subFolders.size()), QStringList{QStringLiteral("data")} + subFolders);
    EXPECT_EQ(list.currentItem()->text(0), QStringLiteral("data")) << "the current folder is chosen";

    QTreeWidgetItem* icons = folderRow(list, QStringLiteral("icons"));
    ASSERT_TRUE(icons);
    // A double click is a press and release, then a second press that is the double click.
    const QPoint at = list.visualItemRect(icons).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(list.path(), data) << "a single click only chooses";
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(list.path(), uitest::iconFolder());
    EXPECT_EQ(window.frm.File1()->path(), uitest::iconFolder()) << "the file list follows";

    list.setCurrentItem(folderRow(list, QStringLiteral("tests")));
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_TRUE(list.path().endsWith(QStringLiteral("/tests")));

    const QString before = list.path();
    const auto error = list.setPath(QStringLiteral("/no/such/folder"));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 68);
    EXPECT_EQ(list.path(), before);
}

} // namespace
