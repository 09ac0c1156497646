#pragma once

#include "FileList.h"
#include "FrmMain.h"
#include "Prompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

// Failures print Qt's texts and images as text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* out)
{
    *out << texts.join(QStringLiteral(", ")).toStdString();
}
inline void PrintTo(const QImage& image, std::ostream* out)
{
    *out << "image " << image.width() << " x " << image.height();
}
inline void PrintTo(const QRectF& r, std::ostream* out)
{
    *out << "(" << r.left() << ", " << r.top() << ", " << r.width() << " x " << r.height() << ")";
}

namespace uitest {

// Runs the event loop until `condition` holds or `limit` passes.
inline bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(5))
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > limit.count()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Records what the window asks of the user and answers as told.
class RecordingPrompts final : public glint::Prompts {
public:
    struct Message {
        QMessageBox::Icon icon;
        QString title;
        QString text;
    };

    void message(QWidget*, QMessageBox::Icon icon, const QString& title, const QString& text) override
    {
        messages.push_back({icon, title, text});
    }
    glint::SaveTarget askSaveTarget(QWidget*, const QString& folder) override
    {
        ++saveDialogs;
        saveDialogFolders.push_back(folder);
        if (duringSaveDialog) duringSaveDialog();
        return {savePath, saveFormat};
    }
    QString askPath(QWidget*, const QString& folder) override
    {
        pathDialogFolders.push_back(folder);
        return typedPath;
    }
    QAction* popUp(QMenu& menu, QPoint) override
    {
        ++popUps;
        if (chooseSave) return menu.actions().value(0);
        return chooseCopy ? menu.actions().value(1) : nullptr;
    }
    glint::SaveAllTarget askSaveAllTarget(QWidget*) override
    {
        ++saveAllDialogs;
        return saveAll;
    }

    std::vector<Message> messages;
    QString savePath;
    glint::SaveFormat saveFormat = glint::SaveFormat::Bitmap;
    bool chooseSave = false;
    bool chooseCopy = false;
    glint::SaveAllTarget saveAll;
    int saveAllDialogs = 0;
    int saveDialogs = 0;
    std::vector<QString> saveDialogFolders;
    std::function<void()> duringSaveDialog; // what happens while the dialog is open
    QString typedPath;                      // the answer to the Open dialog
    std::vector<QString> pathDialogFolders;
    int popUps = 0;
};

// A main window over a settings file of its own and the help file of the source tree.
struct Window {
    explicit Window(glint::IconFileOpener openIcons = glint::openIconFile)
        : settings(folder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat),
          frm({&prompts, QStringLiteral(HELP_FOLDER), &settings, [this](const QUrl& url) { opened.push_back(url); },
               std::move(openIcons)})
    {
    }

    QTemporaryDir folder;
    RecordingPrompts prompts;
    QSettings settings;
    std::vector<QUrl> opened;
    glint::FrmMain frm;
};

// Waits until the page the window was last asked for is drawn.
inline bool waitForPage(const glint::FrmMain& frm)
{
    return waitFor([&] { return !frm.pageLoading(); }, std::chrono::seconds(20));
}

// Clicks `name` in the file list with the mouse, once the list shows it, and waits for its page.
inline void clickFile(glint::FrmMain& frm, const QString& name)
{
    glint::FileList* list = frm.File1();
    QModelIndex index;
    ASSERT_TRUE(waitFor([&] {
        const QAbstractItemModel* model = list->model();
        for (int row = 0; row < model->rowCount(list->rootIndex()); ++row) {
            const QModelIndex candidate = model->index(row, 0, list->rootIndex());
            if (candidate.data().toString() == name) {
                index = candidate;
                return true;
            }
        }
        return false;
    })) << name.toStdString()
        << " never listed";
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
    ASSERT_TRUE(waitForPage(frm));
}

inline QString iconFolder()
{
    return QStringLiteral(ICON_DATA_DIR);
}

// True when every pixel of `picture` is `colour`.
inline bool isBlank(const QImage& picture, QColor colour)
{
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y) != colour.rgb()) return false;
    return true;
}

} // namespace uitest
