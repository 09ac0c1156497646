// The help commands, What's This texts and the about window.
#include "AuthorLinks.h"
#include "FrmSplash.h"
#include "HelpFile.h"
#include "HelpViewer.h"
#include "Twips.h"
#include "UiTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWhatsThis>

namespace {

using uitest::waitFor;

const QString helpPath = QStringLiteral(HELP_FOLDER "/glintgat.hlp");

class Help : public testing::Test {
protected:
    void SetUp() override
    {
        window.frm.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window.frm));
    }
    QListWidget* list(const char* name) const
    {
        return window.frm.helpViewer()->findChild<QListWidget*>(QString::fromLatin1(name));
    }
    QStringList titles(const char* name) const
    {
        QStringList result;
        for (int row = 0; row < list(name)->count(); ++row) result << list(name)->item(row)->text();
        return result;
    }

    uitest::Window window;
};

TEST_F(Help, F1OpensTheContentsFromAnywhereInTheWindow)
{
    window.frm.findChild<QWidget*>(QStringLiteral("File1"))->setFocus();
    QTest::keyClick(window.frm.findChild<QWidget*>(QStringLiteral("File1")), Qt::Key_F1);
    ASSERT_TRUE(window.frm.helpViewer());
    EXPECT_TRUE(window.frm.helpViewer()->isVisible());
    EXPECT_EQ(window.frm.helpViewer()->findChild<QTabWidget*>()->currentIndex(), 0);
    const QStringList contents = titles("contents");
    ASSERT_EQ(contents.size(), 15);
    EXPECT_EQ(contents.first(), QStringLiteral("Glint Gatherer"));
    EXPECT_EQ(window.frm.helpViewer()->shownTitle(), QStringLiteral("Glint Gatherer"))
        << "not the focused list's topic";
    list("contents")->setCurrentRow(1);
    EXPECT_EQ(window.frm.helpViewer()->shownTitle(), QStringLiteral("Saving an icon as a bitmap"));
    EXPECT_TRUE(window.prompts.messages.empty());
}

TEST_F(Help, TheHelpButtonOpensTheContentsToo)
{
    QTest::mouseClick(window.frm.findChild<QToolButton*>(QStringLiteral("cmdHelp")), Qt::LeftButton);
    ASSERT_TRUE(window.frm.helpViewer());
    EXPECT_TRUE(window.frm.helpViewer()->isVisible());
}

TEST_F(Help, SearchFindsTopicsByTheWordsTyped)
{
    window.frm.findChild<QAction*>(QStringLiteral("msearch"))->trigger();
    ASSERT_TRUE(window.frm.helpViewer());
    EXPECT_EQ(window.frm.helpViewer()->findChild<QTabWidget*>()->currentIndex(), 1);
    auto* key = window.frm.helpViewer()->findChild<QLineEdit*>(QStringLiteral("searchKey"));
    EXPECT_TRUE(key->text().isEmpty());
    EXPECT_EQ(titles("found").size(), 15) << "an empty key lists every topic";
    QTest::keyClicks(key, QStringLiteral("splitter dra"));
    EXPECT_EQ(titles("found"), QStringList() << QStringLiteral("Moving the splitter"));
    key->setText(QStringLiteral("BITMAP"));
    EXPECT_TRUE(titles("found").contains(QStringLiteral("Saving an icon as a bitmap")));
    EXPECT_FALSE(titles("found").contains(QStringLiteral("Scroll bar")));
    list("found")->setCurrentRow(0);
    EXPECT_FALSE(window.frm.helpViewer()->shownTitle().isEmpty());
}

TEST_F(Help, EveryNumberedControlShowsItsTopicInWhatsThisMode)
{
    const help::HelpSource source = glint::readHelpFile(helpPath);
    ASSERT_TRUE(source.error.empty()) << source.error;
    const std::pair<const char*, int> controls[] = {{"Drive1", 50},    {"Dir1", 60},      {"File1", 70},
                                                    {"Picture1", 80},  {"icopic(0)", 80}, {"picIcons", 90},
                                                    {"icopic(1)", 90}, {"icopic(7)", 90}, {"picScroll", 100}};
    for (const auto& [name, number] : controls) {
        auto* control = window.frm.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_TRUE(control) << name;
        ASSERT_TRUE(source.topic(number)) << number;
        EXPECT_EQ(control->whatsThis().toStdString(), source.topic(number)->text) << name;
    }
    QTest::keyClick(&window.frm, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_TRUE(QWhatsThis::inWhatsThisMode());
    QWhatsThis::leaveWhatsThisMode();
    QTest::mouseClick(window.frm.findChild<QToolButton*>(QStringLiteral("cmdWhatsThis")), Qt::LeftButton);
    EXPECT_TRUE(QWhatsThis::inWhatsThisMode());
    QWhatsThis::leaveWhatsThisMode();
}

TEST_F(Help, MissingHelpIsReported)
{
    window.frm.setHelpFile(QString());
    window.frm.mcontents_Click();
    window.frm.msearch_Click();
    ASSERT_EQ(window.prompts.messages.size(), 2u);
    for (const auto& message : window.prompts.messages) {
        EXPECT_EQ(message.text,
                  QStringLiteral("Unable to display Help Contents. There is no Help associated with this project."));
        EXPECT_EQ(message.icon, QMessageBox::Information);
        EXPECT_EQ(message.title, QStringLiteral("Glint Gatherer"));
    }
    EXPECT_FALSE(window.frm.helpViewer());

    window.frm.setHelpFile(QStringLiteral("no-such-help.hlp"));
    window.frm.mcontents_Click();
    ASSERT_EQ(window.prompts.messages.size(), 3u);
    EXPECT_TRUE(window.prompts.messages[2].text.contains(QStringLiteral("no-such-help.hlp")));
    EXPECT_FALSE(window.frm.helpViewer()->isVisible());
}

TEST(HelpFolder, BesideTheProgramOrInTheInstalledDataFolder)
{
    QTemporaryDir tree;
    ASSERT_TRUE(tree.isValid());
    const QDir root(tree.path());
    ASSERT_TRUE(root.mkpath(QStringLiteral("bin")) && root.mkpath(QStringLiteral("share/glintgatherer")));
    const auto touch = [&](const QString& name) {
        QFile file(root.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    };
    // An installed tree: the help in the data folder, found from bin/.
    touch(QStringLiteral("share/glintgatherer/glintgat.hlp"));
    EXPECT_EQ(QFileInfo(glint::helpFolderFor(root.filePath(QStringLiteral("bin")))).canonicalFilePath(),
              QFileInfo(root.filePath(QStringLiteral("share/glintgatherer"))).canonicalFilePath());
    // The build folder or a portable copy: the help beside the program.
    touch(QStringLiteral("bin/glintgat.hlp"));
    EXPECT_EQ(glint::helpFolderFor(root.filePath(QStringLiteral("bin"))), root.filePath(QStringLiteral("bin")));
}

class About : public testing::Test {
protected:
    void SetUp() override
    {
        splash.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash));
    }
    QWidget* control(const char* name) { return splash.findChild<QWidget*>(QString::fromLatin1(name)); }

    std::vector<QUrl> opened;
    glint::FrmSplash splash{nullptr, [this](const QUrl& url) { opened.push_back(url); }};
};

TEST_F(About, ShowsTheVersionLineAndTheControls)
{
    EXPECT_EQ(qobject_cast<QLabel*>(control("Label2"))->text(), QStringLiteral("version 1.1"));
    EXPECT_EQ(qobject_cast<QLabel*>(control("Label1"))->text(), QStringLiteral("Glint Gatherer"));
    EXPECT_TRUE(splash.windowTitle().isEmpty());
    EXPECT_EQ(control("Label1")->font().pointSizeF(), 18);
    EXPECT_TRUE(control("Label1")->font().bold());
    EXPECT_EQ(control("Label3")->font().pointSizeF(), 11.25);
    EXPECT_EQ(glint::twips::of(control("imgWebURL")), QRectF(2715, 2235, 2085, 270));
    EXPECT_EQ(qobject_cast<QLabel*>(control("imgWebURL"))->pixmap().size(), QSize(139, 18));
    EXPECT_TRUE(control("imgWebURL")->isVisible());
    EXPECT_TRUE(control("imgWebURL")->isEnabled());
    EXPECT_EQ(control("imgEmailURL")->cursor().shape(), Qt::BitmapCursor) << "the window's own link pointer";
}

TEST_F(About, ClicksOnTheLinksOpenThemAndKeepTheWindow)
{
    QTest::mouseClick(control("imgWebURL"), Qt::LeftButton);
    QTest::mouseClick(control("imgEmailURL"), Qt::LeftButton);
    EXPECT_TRUE(splash.isVisible());
    EXPECT_EQ(opened, (std::vector<QUrl>{QUrl(glint::authorWebPage), QUrl(glint::authorMail)}));
}

TEST_F(About, AClickOnTheWindowOrItsPicturesAndLabelsClosesIt)
{
    for (const char* name : {"Picture1", "Image1", "Label1", "Label2", "Label3"}) {
        splash.show();
        QTest::mouseClick(control(name), Qt::LeftButton);
        EXPECT_FALSE(splash.isVisible()) << name;
    }
    splash.show();
    QTest::mouseClick(&splash, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_FALSE(splash.isVisible());
    EXPECT_TRUE(opened.empty());
}

TEST_F(About, ACharacterKeyClosesIt)
{
    for (const Qt::Key key : {Qt::Key_A, Qt::Key_Return, Qt::Key_Escape, Qt::Key_Space}) {
        splash.show();
        QTest::keyClick(&splash, key);
        EXPECT_FALSE(splash.isVisible()) << key;
    }
    splash.show();
    QTest::keyClick(&splash, Qt::Key_Shift);
    QTest::keyClick(&splash, Qt::Key_F5);
    EXPECT_TRUE(splash.isVisible()) << "keys that type no character leave it open";
}

TEST(AboutCommand, ShowsTheAboutWindowModallyOverTheMainWindow)
{
    uitest::Window window;
    window.frm.show();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* modal = QApplication::activeModalWidget();
        seen = modal && modal->objectName() == QStringLiteral("frmSplash") && modal->parentWidget() == &window.frm;
        if (modal) QTest::keyClick(modal, Qt::Key_Return);
    });
    window.frm.findChild<QAction*>(QStringLiteral("mabout"))->trigger();
    EXPECT_TRUE(seen);
    EXPECT_FALSE(QApplication::activeModalWidget());
}

} // namespace
