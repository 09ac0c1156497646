// Browsing: the lists choose a file, its icons are counted and drawn a page of
// eight at a time, and the first box's icon can be saved.
#include "FrmMain.h"

#include "DriveList.h"
#include "FileList.h"
#include "FolderList.h"
#include "IconBox.h"
#include "IconDescription.h"
#include "IconImage.h"
#include "Icons.h"
#include "Prompts.h"
#include "SaveIcon.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace glint {

namespace {

// Where the drive list falls back to when a drive cannot be read.
const QString fallbackDrive = QStringLiteral("/");

// Counts and indices are 16-bit; a file claiming more icons shows the first 32767.
int asSixteenBit(int count)
{
    return std::min(count, static_cast<int>(std::numeric_limits<std::int16_t>::max()));
}

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

int FrmMain::CountIcons(const icons::IconReader& reader)
{
    const int count = asSixteenBit(reader.count());
    {
        // The callers draw the page themselves; a value pulled down by the
        // new maximum must not draw it again from inside.
        const QSignalBlocker quiet(icoscroll_);
        icoscroll_->setMaximum(count);
    }
    icopic_[0]->setBorder(count >= 1);
    icoscroll_->setEnabled(count > 1);
    return count;
}

void FrmMain::LoadIconPage(const QString& path)
{
    const WaitCursor wait;
    const icons::IconReader reader{std::filesystem::path(QFile::encodeName(path).toStdString())};
    const int count = CountIcons(reader);
    iconsPresent_ = count > 0 ? 1 : 0;
    for (int b = 0; b < iconBoxCount; ++b) {
        const int index = icoscroll_->value() + b;
        icopic_[b]->clearPicture();
        if (index < count)
            icopic_[b]->drawIcon(icons::iconImage(reader, index),
                                 {iconPlace(index, count), imageSizes(reader.imageList(index))});
        else
            icopic_[b]->drawIcon(QImage()); // the blank surface
    }
}

void FrmMain::ClearIconBorders()
{
    for (IconBox* box : icopic_) box->setBorder(false);
}

void FrmMain::File1_Click()
{
    const QString name = file1_->fileName();
    if (name.isEmpty()) return;
    icoscroll_->setValue(0); // redraws the page loaded so far when the value was not 0
    QString folder = file1_->path();
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    if (loadedPath_ == folder + name) return;
    loadedPath_ = folder + name;
    LoadIconPage(loadedPath_);
    ClearIconBorders();
}

void FrmMain::icoscroll_Change()
{
    if (!loadedPath_.isEmpty()) LoadIconPage(loadedPath_);
}

void FrmMain::icopic_MouseDown(int index, Qt::MouseButton button, QPoint globalPosition)
{
    // Past the last icon the box is blank: there is nothing to save.
    if (index != 0 || iconsPresent_ == 0 || !icopic_[0]->holdsIcon() || button != Qt::RightButton) return;
    ClearIconBorders();
    icopic_[0]->setBorder(true);
    if (services_.prompts->popUp(*mnuPopUp_, globalPosition) == mnuSave_) mnuSave_Click(0);
}

void FrmMain::mnuSave_Click(int index)
{
    const SaveTarget target = services_.prompts->askSaveTarget(this);
    if (target.path.isEmpty()) return;
    QString error;
    if (target.format == SaveFormat::Bitmap) {
        error = writeBitmap(icopic_[index]->picture(), target.path);
    } else {
        // The bitmap is the box's picture; the other formats come from the file as it stores the icon.
        const icons::IconReader reader{std::filesystem::path(QFile::encodeName(loadedPath_).toStdString())};
        const int icon = icoscroll_->value() + index;
        const QByteArray bytes =
            target.format == SaveFormat::Png ? icons::largestImageAsPng(reader, icon) : icons::iconFile(reader, icon);
        error = bytes.isEmpty() ? QStringLiteral("%1 no longer holds that icon").arg(loadedPath_)
                                : writeBytes(bytes, target.path);
    }
    if (!error.isEmpty())
        services_.prompts->message(
            this, QMessageBox::Warning, title,
            QStringLiteral("The icon could not be saved as \"%1\": %2.").arg(target.path, error));
}

void FrmMain::openPath(const QString& path)
{
    const QFileInfo target(path);
    if (!target.exists()) {
        services_.prompts->message(this, QMessageBox::Warning, title,
                                   QStringLiteral("\"%1\" is neither a file nor a folder.").arg(path));
        return;
    }
    const QString folder = target.isDir() ? target.absoluteFilePath() : target.absolutePath();
    {
        // The drive follows quietly: its change would move the lists to its root.
        const QSignalBlocker quiet(drive1_);
        drive1_->setDrive(DriveList::driveOf(folder));
    }
    if (const auto error = dir1_->setPath(folder)) {
        services_.prompts->message(this, QMessageBox::Warning, title,
                                   QStringLiteral("Error %1:  %2.").arg(error->number).arg(error->description));
        return;
    }
    file1_->setPath(folder); // listed afresh even when the folder was already shown
    if (!target.isDir()) file1_->chooseWhenListed(target.fileName());
}

void FrmMain::Dir1_Change()
{
    file1_->setPath(dir1_->path());
}

void FrmMain::Drive1_Change()
{
    const QString drive = drive1_->drive();
    const auto error = dir1_->setPath(drive);
    if (!error) return;
    services_.prompts->message(this, QMessageBox::Warning, title,
                               QStringLiteral("Error %1:  %2.").arg(error->number).arg(error->description));
    // With the fall-back itself unreadable there is nowhere left to go: one
    // message, and the lists stay where they were.
    if (drive == fallbackDrive) return;
    {
        const QSignalBlocker quiet(drive1_);
        drive1_->setDrive(fallbackDrive);
    }
    Drive1_Change(); // the change the fall-back raises, which retries the folder step there
}

} // namespace glint
