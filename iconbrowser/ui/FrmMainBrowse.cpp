// Browsing: the lists choose a file, its icons are counted and drawn a page of
// eight at a time, and the first box's icon can be saved.
#include "FrmMain.h"

#include "DriveList.h"
#include "FileList.h"
#include "FileNames.h"
#include "FolderList.h"
#include "FolderReading.h"
#include "IconBox.h"
#include "IconDescription.h"
#include "IconImage.h"
#include "Icons.h"
#include "Prompts.h"
#include "SaveIcon.h"

#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QUrl>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace glint {

namespace {

// Where the drive list falls back to when a drive is not there.
const QString fallbackDrive = QStringLiteral("/");
constexpr int deviceUnavailable = 68;

std::filesystem::path onDisk(const QString& path)
{
    return std::filesystem::path(fileNameBytes(path).toStdString());
}

// Counts and indices are 16-bit; a file claiming more icons shows the first 32767.
int asSixteenBit(int count)
{
    return std::min(count, static_cast<int>(std::numeric_limits<std::int16_t>::max()));
}

// A path as typed or pasted: blanks and quotes around it dropped, a file
// manager's file:// address and a leading "~" (the home folder) understood.
QString typedPath(QString text)
{
    text = text.trimmed();
    if (text.size() >= 2 && (text.front() == QLatin1Char('"') || text.front() == QLatin1Char('\'')) &&
        text.back() == text.front())
        text = text.mid(1, text.size() - 2);
    if (text.startsWith(QLatin1String("file://"))) {
        const QUrl address(text);
        if (address.isLocalFile())
            text = fileNameText(QByteArray::fromPercentEncoding(address.path(QUrl::FullyEncoded).toLatin1()));
    }
    if (text == QLatin1String("~") || text.startsWith(QLatin1String("~/"))) text = QDir::homePath() + text.mid(1);
    return QDir::fromNativeSeparators(text);
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
    const icons::IconReader reader{onDisk(path)};
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
    // A file that cannot be read holds no icons, and the user learns why.
    if (const int error = fileReadError(loadedPath_))
        services_.prompts->message(
            this, QMessageBox::Warning, title,
            QStringLiteral("\"%1\" could not be read: %2.").arg(fileNameShown(loadedPath_), errorText(error)));
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
    // What is saved is the icon shown when Save was chosen: a path handed
    // over while the dialog is open changes the page, not this.
    const QImage picture = icopic_[index]->picture();
    const QString file = loadedPath_;
    const int icon = icoscroll_->value() + index;
    const SaveTarget target = services_.prompts->askSaveTarget(this, lastSaveFolder_);
    if (target.path.isEmpty()) return;
    QString error;
    if (target.format == SaveFormat::Bitmap) {
        error = writeBitmap(picture, target.path);
    } else {
        // The bitmap is the box's picture; the other formats come from the file as it stores the icon.
        const icons::IconReader reader{onDisk(file)};
        const QByteArray bytes =
            target.format == SaveFormat::Png ? icons::largestImageAsPng(reader, icon) : icons::iconFile(reader, icon);
        error = bytes.isEmpty() ? QStringLiteral("%1 no longer holds that icon").arg(fileNameShown(file))
                                : writeBytes(bytes, target.path);
    }
    if (error.isEmpty()) {
        lastSaveFolder_ = QFileInfo(target.path).absolutePath();
        return;
    }
    services_.prompts->message(this, QMessageBox::Warning, title,
                               QStringLiteral("The icon could not be saved as \"%1\": %2.").arg(target.path, error));
}

void FrmMain::openPath(const QString& path)
{
    const QString target = QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir(dir1_->path()).filePath(path));
    if (path.isEmpty() || !pathExists(target)) {
        services_.prompts->message(this, QMessageBox::Warning, title,
                                   QStringLiteral("\"%1\" is neither a file nor a folder.").arg(fileNameShown(path)));
        return;
    }
    const bool folderGiven = isFolder(target);
    const qsizetype lastSlash = target.lastIndexOf(QLatin1Char('/'));
    const QString folder = folderGiven ? target : target.left(std::max<qsizetype>(lastSlash, 1));
    const QString previousDrive = drive1_->drive();
    {
        // The drive follows quietly: its change would move the lists to its root.
        const QSignalBlocker quiet(drive1_);
        drive1_->setDrive(DriveList::driveOf(folder));
    }
    if (const auto error = dir1_->setPath(folder)) {
        const QSignalBlocker quiet(drive1_);
        drive1_->setDrive(previousDrive);
        services_.prompts->message(this, QMessageBox::Warning, title, error->message());
        return;
    }
    file1_->setPath(dir1_->path()); // listed afresh even when the folder was already shown
    if (!folderGiven) file1_->chooseWhenListed(target.mid(lastSlash + 1));
}

void FrmMain::mopen_Click()
{
    const QString typed = services_.prompts->askPath(this, dir1_->path());
    if (!typed.trimmed().isEmpty()) openPath(typedPath(typed));
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
    services_.prompts->message(this, QMessageBox::Warning, title, error->message());
    // A drive that is there but cannot be read: the lists stay where the user was.
    if (error->number != deviceUnavailable) {
        const QSignalBlocker quiet(drive1_);
        drive1_->setDrive(DriveList::driveOf(dir1_->path()));
        return;
    }
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
