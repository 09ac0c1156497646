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

QString uniqueName() { return QStringLiteral("glint-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces); }

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
    glint::SingleInstance instance;
    ASSERT_TRUE(instance.listen(name, &running));
    std::atomic<int> handedOver{-1};
    std::thread second([&] { handedOver = glint::SingleInstance::handOverToRunningCopy(name, 5000) ? 1 : 0; });
    const bool finished = waitFor([&] { return handedOver != -1; });
    second.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(handedOver, 1);
    EXPECT_EQ(counter.presses, 1);
    EXPECT_FALSE(running.isMinimized()) << "brought forward";
}

TEST(SingleInstance, WithNoRunningCopyTheStartGoesOn)
{
    EXPECT_FALSE(glint::SingleInstance::handOverToRunningCopy(uniqueName(), 1000));
}

TEST(SingleInstance, AServerLeftByACrashedCopyIsReplaced)
{
    const QString name = uniqueName();
    QWidget window;
    {
        glint::SingleInstance first;
        ASSERT_TRUE(first.listen(name, &window));
    }
    glint::SingleInstance second;
    EXPECT_TRUE(second.listen(name, &window));
}

} // namespace
