// The lists over what a real file system holds: names that are not UTF-8,
// FIFOs, devices and links of every kind, and folders or files that cannot be
// read. The tests run where every file can be read (as root, too), so
// unreadable ones are made by injected failures: the error the system would
// give for that path.
#include "FileList.h"
#include "FileNames.h"
#include "FolderList.h"
#include "FolderReading.h"
#include "DriveList.h"
#include "UiTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QTreeWidgetItemIterator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using glint::fileNameBytes;
using glint::fileNameText;
using uitest::waitFor;

TEST(FileNames, EveryByteSequenceComesBackAsItWas)
{
    const QByteArray samples[] = {
        QByteArray("\xff\xfe.ico"),
        QByteArray("plain.exe"),
        QByteArray("caf\xc3\xa9.dll"),             // valid UTF-8 stays text
        QByteArray("caf\xe9.dll"),                 // Latin-1
        QByteArray("\xc0\xaf over-long"),          // an over-long "/"
        QByteArray("\xed\xa0\x80 surrogate"),      // a UTF-16 surrogate written as UTF-8
        QByteArray("\xf4\x90\x80\x80 too high"),   // past U+10FFFF
        QByteArray("cut \xe2\x82"),                // a sequence cut short at the end
        QByteArray("\xf0\x9f\x98\x80 emoji \x80"), // a character past the BMP, then a lone continuation
    };
    for (const QByteArray& bytes : samples) {
        const QString text = fileNameText(bytes);
        EXPECT_EQ(fileNameBytes(text), bytes) << bytes.toHex().toStdString();
        EXPECT_EQ(text.contains(QChar::ReplacementCharacter), false) << "nothing is lost on the way";
    }
    EXPECT_EQ(fileNameText(QByteArray("caf\xc3\xa9")), QStringLiteral("caf\u00e9"));
    EXPECT_EQ(glint::fileNameShown(fileNameText(QByteArray("\xff\xfe.ico"))), QStringLiteral("\ufffd\ufffd.ico"));
    // The toolkit's own conversion loses these names: both bytes become one and the same character.
    EXPECT_NE(QFile::encodeName(QFile::decodeName(QByteArray("\xff\xfe.ico"))), QByteArray("\xff\xfe.ico"));
}

class FileSystem : public testing::Test {
protected:
    void SetUp() override
    {
        window.frm.show();
        root = window.folder.filePath(QStringLiteral("tree"));
        ASSERT_TRUE(QDir().mkpath(root));
    }
    void TearDown() override { glint::injectAccessFailures({}); }

    QByteArray at(const QByteArray& name) const { return QFile::encodeName(root) + '/' + name; }
    void copyIcon(const QString& fixture, const QByteArray& name) const
    {
        QFile source(uitest::iconFolder() + QLatin1Char('/') + fixture);
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        const QByteArray bytes = source.readAll();
        const int out = ::open(at(name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(out, 0);
        ASSERT_EQ(::write(out, bytes.constData(), static_cast<size_t>(bytes.size())), bytes.size());
        ::close(out);
    }
    QStringList subFolderRows()
    {
        QStringList rows;
        const QString current = window.frm.Dir1()->currentItem()->text(0);
        bool below = false;
        for (QTreeWidgetItemIterator it(window.frm.Dir1()); *it; ++it) {
            if (below) rows << (*it)->text(0);
            if ((*it) == window.frm.Dir1()->currentItem()) below = true;
        }
        Q_UNUSED(current);
        return rows;
    }
    QStringList fileRows()
    {
        QStringList rows;
        const QAbstractItemModel* model = window.frm.File1()->model();
        for (int row = 0; row < model->rowCount(); ++row) rows << model->index(row, 0).data().toString();
        return rows;
    }
    void doubleClickFolder(const QString& shown)
    {
        glint::FolderList* list = window.frm.Dir1();
        for (QTreeWidgetItemIterator it(list); *it; ++it) {
            if ((*it)->text(0) != shown) continue;
            const QPoint place = list->visualItemRect(*it).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, place);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, place);
            return;
        }
        ADD_FAILURE() << shown.toStdString() << " is not in the folder list";
    }

    uitest::Window window;
    QString root;
};

TEST_F(FileSystem, NamesThatAreNotUtf8AreListedAndOpened)
{
    copyIcon(QStringLiteral("depth4.ico"), "\xff\xfe.ico");
    ASSERT_EQ(::mkdir(at("\xe9t\xe9").constData(), 0755), 0);
    copyIcon(QStringLiteral("depth4.ico"), "\xe9t\xe9/inner.ico");
    ASSERT_FALSE(window.frm.Dir1()->setPath(root));
    EXPECT_EQ(subFolderRows(), QStringList{QStringLiteral("\ufffdt\ufffd")});
    ASSERT_TRUE(waitFor([&] { return fileRows() == QStringList{QStringLiteral("\ufffd\ufffd.ico")}; }))
        << fileRows().join(QLatin1Char(' ')).toStdString();

    ASSERT_TRUE(window.frm.File1()->selectFile(fileNameText("\xff\xfe.ico")));
    EXPECT_EQ(fileNameBytes(window.frm.loadedPath()), at("\xff\xfe.ico"));
    ASSERT_TRUE(uitest::waitForPage(window.frm));
    EXPECT_EQ(window.frm.iconsPresent(), 1) << "the file was read";
    EXPECT_TRUE(window.prompts.messages.empty());

    doubleClickFolder(QStringLiteral("\ufffdt\ufffd"));
    EXPECT_EQ(fileNameBytes(window.frm.Dir1()->path()), at("\xe9t\xe9"));
    ASSERT_TRUE(waitFor([&] { return fileRows() == QStringList{QStringLiteral("inner.ico")}; }));

    // A path given on the command line or handed over in these bytes.
    window.frm.openPath(fileNameText(at("\xff\xfe.ico")));
    ASSERT_TRUE(waitFor([&] { return fileNameBytes(window.frm.loadedPath()) == at("\xff\xfe.ico"); }));
    EXPECT_EQ(fileNameBytes(window.frm.Dir1()->path()), QFile::encodeName(root));
    EXPECT_TRUE(window.prompts.messages.empty());
}

TEST_F(FileSystem, OnlyWhatOpensAsAFolderIsListedAsOne)
{
    ASSERT_EQ(::mkdir(at("real").constData(), 0755), 0);
    ASSERT_EQ(::symlink("real", at("linked").constData()), 0);
    ASSERT_EQ(::mkfifo(at("fifo").constData(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/null", at("device").constData()), 0);
    ASSERT_EQ(::symlink("nowhere", at("dangling").constData()), 0);
    ASSERT_EQ(::symlink("loop2", at("loop1").constData()), 0);
    ASSERT_EQ(::symlink("loop1", at("loop2").constData()), 0);
    copyIcon(QStringLiteral("depth4.ico"), "file.ico");
    ASSERT_FALSE(window.frm.Dir1()->setPath(root));
    EXPECT_EQ(subFolderRows(), (QStringList{QStringLiteral("linked"), QStringLiteral("real")}));
    // The file list keeps every other entry; none of them is opened by being listed.
    const QStringList others{QStringLiteral("dangling"), QStringLiteral("device"), QStringLiteral("fifo"),
                             QStringLiteral("file.ico"), QStringLiteral("loop1"),  QStringLiteral("loop2")};
    ASSERT_TRUE(waitFor([&] { return fileRows() == others; })) << fileRows().join(QLatin1Char(' ')).toStdString();
    // A click on the FIFO would hang if it were opened to be read.
    ASSERT_TRUE(window.frm.File1()->selectFile(QStringLiteral("fifo")));
    ASSERT_TRUE(uitest::waitForPage(window.frm));
    EXPECT_EQ(window.frm.iconsPresent(), 0);
    EXPECT_TRUE(window.prompts.messages.empty()) << "a FIFO is no icon file, and is not read";
    ASSERT_TRUE(window.frm.File1()->selectFile(QStringLiteral("loop1")));
    ASSERT_EQ(window.prompts.messages.size(), 1u);
    EXPECT_EQ(window.prompts.messages[0].text,
              QStringLiteral("\"%1/loop1\" could not be read: Too many levels of symbolic links.").arg(root));
}

TEST_F(FileSystem, AFolderThatCannotBeReadIsNamedAndTheListStays)
{
    ASSERT_EQ(::mkdir(at("locked").constData(), 0700), 0);
    const QString locked = root + QStringLiteral("/locked");
    glint::injectAccessFailures([&](const QString& path) { return path == locked ? EACCES : 0; });
    ASSERT_FALSE(window.frm.Dir1()->setPath(root));
    EXPECT_EQ(subFolderRows(), QStringList{QStringLiteral("locked")}) << "listed, to be refused when opened";
    doubleClickFolder(QStringLiteral("locked"));
    ASSERT_EQ(window.prompts.messages.size(), 1u);
    EXPECT_EQ(window.prompts.messages[0].title, QStringLiteral("Glint Gatherer"));
    EXPECT_EQ(
        window.prompts.messages[0].text,
        QStringLiteral("Error 75:  Path/File access error. \"%1\" could not be read: Permission denied.").arg(locked));
    EXPECT_EQ(window.frm.Dir1()->path(), root);
    EXPECT_EQ(window.frm.File1()->path(), root);
}

TEST_F(FileSystem, AnUnreadableDriveIsNamedAndTheListsStayWhereTheUserWas)
{
    const QString drive = window.folder.filePath(QStringLiteral("drive"));
    ASSERT_TRUE(QDir().mkpath(drive));
    glint::injectAccessFailures([&](const QString& path) { return path == drive ? EACCES : 0; });
    ASSERT_FALSE(window.frm.Dir1()->setPath(root));
    const QString before = window.frm.Drive1()->drive();
    window.frm.Drive1()->setDrive(drive);
    ASSERT_EQ(window.prompts.messages.size(), 1u);
    EXPECT_EQ(
        window.prompts.messages[0].text,
        QStringLiteral("Error 75:  Path/File access error. \"%1\" could not be read: Permission denied.").arg(drive));
    EXPECT_EQ(window.frm.Dir1()->path(), root) << "no jump to the root";
    EXPECT_EQ(window.frm.File1()->path(), root);
    EXPECT_EQ(window.frm.Drive1()->drive(), before) << "the drive list shows where the lists are";
}

TEST_F(FileSystem, AFileThatCannotBeReadIsNamed)
{
    copyIcon(QStringLiteral("depth4.ico"), "secret.ico");
    const QString secret = root + QStringLiteral("/secret.ico");
    glint::injectAccessFailures([&](const QString& path) { return path == secret ? EACCES : 0; });
    ASSERT_FALSE(window.frm.Dir1()->setPath(root));
    ASSERT_TRUE(waitFor([&] { return window.frm.File1()->selectFile(QStringLiteral("secret.ico")); }));
    ASSERT_EQ(window.prompts.messages.size(), 1u);
    EXPECT_EQ(window.prompts.messages[0].text,
              QStringLiteral("\"%1\" could not be read: Permission denied.").arg(secret));
}

} // namespace
