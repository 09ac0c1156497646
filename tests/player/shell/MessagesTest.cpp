// The message boxes as the player shows them: the window thread's questions
// wait for their answer; the boxes posted by the player thread block nobody.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <thread>

#include "ProcessUntil.h"
#include "QtMessages.h"

namespace {

std::vector<QMessageBox*> shownBoxes()
{
    std::vector<QMessageBox*> boxes;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) boxes.push_back(box);
    return boxes;
}

} // namespace

TEST(Messages, APostedBoxBlocksNoWindowAndGoesWithTheProgram)
{
    auto messages = std::make_unique<QtMessages>();
    QWidget window;
    window.show();
    std::thread player(
        [&] { messages->post("Application Error", "Could not load playlist: a.m3u", MessageIcon::none); });
    player.join();
    ASSERT_TRUE(processUntil([] { return shownBoxes().size() == 1; }));
    QPointer<QMessageBox> box = shownBoxes().front();
    EXPECT_EQ(box->windowTitle(), "Application Error");
    EXPECT_EQ(box->text(), "Could not load playlist: a.m3u");
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
    EXPECT_TRUE(box->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(box->windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // With no modal window, every window takes its input as before.
    EXPECT_EQ(QGuiApplication::modalWindow(), nullptr);

    messages.reset();
    EXPECT_TRUE(box.isNull());
}

TEST(Messages, AQuestionOfTheWindowThreadWaitsForItsAnswerAndHoldsTheWindows)
{
    QtMessages messages;
    bool heldWindow = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        heldWindow = box->windowModality() == Qt::ApplicationModal && QGuiApplication::modalWindow() != nullptr;
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(messages.ask("Skin settings", "Change?", MessageIcon::question, MessageButtons::yesNo),
              MessageAnswer::yes);
    EXPECT_TRUE(heldWindow);
}
