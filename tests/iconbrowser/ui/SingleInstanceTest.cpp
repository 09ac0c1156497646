// The hand-over from a second start to the running copy, in one process: the
// second start's side runs on a thread of its own, as it would in its process.
#include "SingleInstance.h"
#include "UiTestSupport.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QUuid>

#include <atomic>
#include <thread>

namespace {

using uitest::waitFor;

class EnterCounter final : public QObject {
public:
    int presses = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return) ++presses;
        return false;
    }
};

QString uniqueName()
{
    return QStringLiteral("glint-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

TEST(SingleInstance, ASecondStartBringsTheRunningCopyForwardWithOneEnter)
{
    QWidget running;
    auto* field = new QLineEdit(&running);
    running.show();
    field->setFocus();
    EnterCounter counter;
    field->installEventFilter(&counter);
    running.showMinimized();

    const QString name = uniqueName();
    QStringList paths;
    glint::SingleInstance instance([&](const QString& path) { paths << path; });
    ASSERT_TRUE(instance.listen(name, &running));
    std::atomic<int> handedOver{-1};
    std::thread second([&] { handedOver = glint::SingleInstance::handOverToRunningCopy(name, {}, 5000) ? 1 : 0; });
    const bool finished = waitFor([&] { return handedOver != -1; });
    second.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(handedOver, 1);
    EXPECT_EQ(counter.presses, 1);
    EXPECT_FALSE(running.isMinimized()) << "brought forward";
    EXPECT_TRUE(paths.isEmpty());
}

TEST(SingleInstance, ASecondStartWithAPathHandsItOver)
{
    QWidget running;
    running.showMinimized();
    EnterCounter counter;
    running.installEventFilter(&counter);
    QStringList paths;
    const QString name = uniqueName();
    glint::SingleInstance instance([&](const QString& path) { paths << path; });
    ASSERT_TRUE(instance.listen(name, &running));
    // Any byte of a file name but NUL goes over whole: blanks, a line break, percent signs.
    const QString path = QStringLiteral("/tmp/odd name\n%41 \u00e9.exe");
    std::atomic<int> handedOver{-1};
    std::thread second([&] { handedOver = glint::SingleInstance::handOverToRunningCopy(name, {path}, 5000) ? 1 : 0; });
    const bool finished = waitFor([&] { return handedOver != -1; });
    second.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(handedOver, 1);
    EXPECT_EQ(paths, QStringList{path});
    EXPECT_EQ(counter.presses, 0) << "a path is no key press";
    EXPECT_FALSE(running.isMinimized());
}

TEST(SingleInstance, RequestsThatAreNeitherAreRefused)
{
    using glint::HandOver;
    for (const QByteArray& junk : {QByteArray("activate"), QByteArray("open \n"), QByteArray("open /a"),
                                   QByteArray("open /a%00b\n"), QByteArray("OPEN /a\n"), QByteArray("")})
        EXPECT_FALSE(HandOver::fromRequest(junk)) << junk.toStdString();
    ASSERT_TRUE(HandOver::fromRequest("activate\n"));
    EXPECT_TRUE(HandOver::fromRequest("activate\n")->path.isEmpty());
}

TEST(SingleInstance, OneCopyPerDisplay)
{
    using glint::SingleInstance;
    EXPECT_EQ(SingleInstance::displayOf(QStringLiteral("xcb"), QStringLiteral(":0"), {}),
              SingleInstance::displayOf(QStringLiteral("xcb"), QStringLiteral(":0.0"), {}));
    EXPECT_EQ(SingleInstance::displayOf(QStringLiteral("xcb"), QStringLiteral("host:10.1"), {}),
              QStringLiteral("host:10"));
    EXPECT_NE(SingleInstance::displayOf(QStringLiteral("xcb"), QStringLiteral(":0"), {}),
              SingleInstance::displayOf(QStringLiteral("xcb"), QStringLiteral(":1"), {}));
    EXPECT_EQ(SingleInstance::displayOf(QStringLiteral("xcb"), QStringLiteral(":1"), QStringLiteral("wayland-1")),
              QStringLiteral(":1"))
        << "XWayland: the X11 display it connects to";
    EXPECT_EQ(SingleInstance::displayOf(QStringLiteral("wayland"), QStringLiteral(":1"), QStringLiteral("wayland-1")),
              QStringLiteral("wayland-1"));
    EXPECT_EQ(SingleInstance::displayOf(QStringLiteral("wayland"), {}, {}), QStringLiteral("wayland-0"));
    EXPECT_EQ(SingleInstance::displayOf(QStringLiteral("offscreen"), {}, QStringLiteral("wayland-2")),
              QStringLiteral("wayland-2"));
}

TEST(SingleInstance, WithNoRunningCopyTheStartGoesOn)
{
    EXPECT_FALSE(glint::SingleInstance::handOverToRunningCopy(uniqueName(), {}, 1000));
}

TEST(SingleInstance, AServerLeftByACrashedCopyIsReplaced)
{
    const QString name = uniqueName();
    QWidget window;
    {
        glint::SingleInstance first({});
        ASSERT_TRUE(first.listen(name, &window));
    }
    glint::SingleInstance second({});
    EXPECT_TRUE(second.listen(name, &window));
}

} // namespace
