// How the row reads the shown file off the window thread: the file is opened
// once however far the row scrolls, a newly chosen file's boxes never show
// the old file's icons, and a page of an older file that ends late is dropped.
#include "FolderList.h"
#include "IconBox.h"
#include "UiTestSupport.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QThreadPool>

#include <future>
#include <map>
#include <mutex>

namespace {

using uitest::waitFor;

// Opens files as the window does, counting the openings of each file, and
// holds the opening of one file back until the test lets it go.
class CountingOpener {
public:
    glint::IconFileOpener opener()
    {
        return [this](const QString& path) {
            const QString name = path.section(QLatin1Char('/'), -1);
            {
                const std::lock_guard lock(mutex_);
                ++opened_[name];
            }
            if (name == heldBack_) release_.wait();
            return glint::openIconFile(path);
        };
    }

    int opened(const QString& name) const
    {
        const std::lock_guard lock(mutex_);
        const auto found = opened_.find(name);
        return found == opened_.end() ? 0 : found->second;
    }
    // Called before the window is made: the opener reads the name unguarded.
    void holdBack(const QString& name) { heldBack_ = name; }
    void letGo()
    {
        if (!letGo_) gate_.set_value();
        letGo_ = true;
    }

private:
    mutable std::mutex mutex_;
    std::map<QString, int> opened_;
    QString heldBack_;
    std::promise<void> gate_;
    std::shared_future<void> release_ = gate_.get_future().share();
    bool letGo_ = false;
};

class PageReading : public testing::Test {
protected:
    // Two pool threads at least: a read held back must not stop the next.
    PageReading() { QThreadPool::globalInstance()->setMaxThreadCount(std::max(2, QThread::idealThreadCount())); }

    ~PageReading() override
    {
        // No read may outlive the opener it calls.
        files.letGo();
        QThreadPool::globalInstance()->waitForDone();
    }

    void show(uitest::Window& window)
    {
        window.frm.show();
        ASSERT_FALSE(window.frm.Dir1()->setPath(uitest::iconFolder()));
    }
    // Chooses `name` in the file list, once the list shows it, without waiting for its page.
    static void choose(uitest::Window& window, const QString& name)
    {
        ASSERT_TRUE(waitFor([&] { return window.frm.File1()->selectFile(name); })) << name.toStdString();
    }

    CountingOpener files;
};

// What the row shows: whether each box holds an icon, and each box's pixels on screen.
bool rowIsBlank(glint::FrmMain& frm)
{
    for (int b = 0; b < glint::FrmMain::iconBoxCount; ++b) {
        glint::IconBox* box = frm.icopic(b);
        const QImage shown = box->grab().toImage();
        const QRect inside = QRect(QPoint(), box->size()).adjusted(2, 2, -2, -2);
        if (box->holdsIcon() || !uitest::isBlank(shown.copy(inside), box->background())) return false;
    }
    return true;
}

TEST_F(PageReading, ScrollingReadsTheFileOnceAndANewFileReplacesIt)
{
    uitest::Window window(files.opener());
    show(window);
    uitest::clickFile(window.frm, QStringLiteral("nine.icl"));
    QScrollBar* row = window.frm.icoscroll();
    for (const int value : {1, 8, 3, 0, 9}) {
        row->setValue(value);
        ASSERT_TRUE(uitest::waitForPage(window.frm));
    }
    row->setValue(8);
    ASSERT_TRUE(uitest::waitForPage(window.frm));
    EXPECT_TRUE(window.frm.icopic(0)->holdsIcon()) << "icon 8 read through the kept reader";
    EXPECT_FALSE(window.frm.icopic(1)->holdsIcon());
    EXPECT_EQ(files.opened(QStringLiteral("nine.icl")), 1);

    // The same file clicked again keeps its reader; another file replaces it.
    uitest::clickFile(window.frm, QStringLiteral("nine.icl"));
    EXPECT_EQ(row->value(), 0);
    EXPECT_EQ(files.opened(QStringLiteral("nine.icl")), 1);
    uitest::clickFile(window.frm, QStringLiteral("icons64.dll"));
    uitest::clickFile(window.frm, QStringLiteral("nine.icl"));
    EXPECT_EQ(files.opened(QStringLiteral("icons64.dll")), 1);
    EXPECT_EQ(files.opened(QStringLiteral("nine.icl")), 2);
}

TEST_F(PageReading, ANewFilesBoxesNeverShowTheOldFilesIcons)
{
    files.holdBack(QStringLiteral("icons64.dll"));
    uitest::Window window(files.opener());
    show(window);
    uitest::clickFile(window.frm, QStringLiteral("nine.icl"));
    window.frm.icoscroll()->setValue(1);
    ASSERT_TRUE(uitest::waitForPage(window.frm));
    ASSERT_TRUE(window.frm.icopic(7)->holdsIcon());

    choose(window, QStringLiteral("icons64.dll"));
    ASSERT_TRUE(window.frm.pageLoading());
    // While the new file is read, every paint of the row shows empty boxes.
    for (int paint = 0; paint < 3; ++paint) {
        QCoreApplication::processEvents();
        EXPECT_TRUE(rowIsBlank(window.frm)) << "paint " << paint;
    }
    EXPECT_EQ(window.frm.icoscroll()->value(), 0);
    EXPECT_EQ(files.opened(QStringLiteral("nine.icl")), 1) << "the old file's first page is not read again";

    files.letGo();
    ASSERT_TRUE(uitest::waitForPage(window.frm));
    EXPECT_TRUE(window.frm.icopic(0)->holdsIcon());
    EXPECT_TRUE(window.frm.icopic(0)->toolTip().contains(QStringLiteral("Icon 1 of 3")));
}

TEST_F(PageReading, AnOlderFilesPageThatEndsLateIsDropped)
{
    files.holdBack(QStringLiteral("icons64.dll"));
    uitest::Window window(files.opener());
    show(window);
    choose(window, QStringLiteral("icons64.dll"));
    ASSERT_TRUE(waitFor([&] { return files.opened(QStringLiteral("icons64.dll")) == 1; }));
    QSignalSpy drawn(&window.frm, &glint::FrmMain::pageDrawn);
    choose(window, QStringLiteral("nine.icl"));
    ASSERT_TRUE(uitest::waitForPage(window.frm));
    ASSERT_EQ(drawn.count(), 1);

    // The held-back read ends now, with the other file shown.
    files.letGo();
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    EXPECT_EQ(drawn.count(), 1);
    EXPECT_EQ(window.frm.loadedPath(), uitest::iconFolder() + QStringLiteral("/nine.icl"));
    EXPECT_TRUE(window.frm.icopic(7)->holdsIcon());
    EXPECT_TRUE(window.frm.icopic(0)->toolTip().contains(QStringLiteral("Icon 1 of 9")));
    EXPECT_EQ(window.frm.icoscroll()->maximum(), 8);
}

} // namespace
