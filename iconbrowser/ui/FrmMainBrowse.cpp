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
#include <QWheelEvent>
#include <QtConcurrent/QtConcurrentRun>
#include <QUrl>

#include <algorithm>

namespace glint {

namespace {

// Where the drive list falls back to when a drive is not there.
const QString fallbackDrive = QStringLiteral("/");
constexpr int deviceUnavailable = 68;

std::filesystem::path onDisk(const QString& path)
{
    return std::filesystem::path(fileNameBytes(path).toStdString());
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

} // namespace

int FrmMain::CountIcons(int count)
{
    {
        // The last value shows the last icon first: a value past it would be a page of blanks.
        // The callers draw the page themselves; a value pulled down by the
        // new maximum must not draw it again from inside.
        const QSignalBlocker quiet(icoscroll_);
        icoscroll_->setMaximum(std::max(count - 1, 0));
    }
    icopic_[0]->setBorder(count >= 1);
    icoscroll_->setEnabled(count > 1);
    return count;
}

void FrmMain::LoadIconPage(const QString& path)
{
    // The wait cursor covers the reading, which happens off the window thread
    // so that the window answers whatever the file; a newer request overtakes
    // an older one, whose page is never drawn.
    if (!pageLoading_) QApplication::setOverrideCursor(Qt::WaitCursor);
    pageLoading_ = true;
    if (!shownFile_ || shownFile_->path() != path)
        shownFile_ = std::make_shared<const ShownFile>(path, services_.openIcons);
    const int devicePixels = qRound(icons::standardIconSize * icopic_[0]->devicePixelRatioF());
    const int first = icoscroll_->value();
    const std::uint64_t request = ++pageRequests_;
    pageWatcher_->setFuture(QtConcurrent::run([file = shownFile_, first, devicePixels, request] {
        IconPage page = file->readPage(first, iconBoxCount, devicePixels);
        page.request = request;
        return page;
    }));
}

void FrmMain::drawIconPage(IconPage page)
{
    if (page.request != pageRequests_) return; // overtaken by a newer request, whose page follows
    const int count = CountIcons(page.count);
    if (page.first != icoscroll_->value()) {
        // The count pulled the value down, or the row moved on: read the page it stands at.
        LoadIconPage(loadedPath_);
        return;
    }
    pageLoading_ = false;
    QApplication::restoreOverrideCursor();
    iconsPresent_ = count > 0 ? 1 : 0;
    mnuSaveAll_->setEnabled(count > 0);
    for (int b = 0; b < iconBoxCount; ++b) {
        IconPageBox& box = page.boxes[static_cast<std::size_t>(b)];
        icopic_[b]->clearPicture();
        icopic_[b]->drawIcon(box.icon, box.details, box.shown); // a null icon leaves the blank surface
    }
    if (clearBordersOnDraw_) ClearIconBorders();
    clearBordersOnDraw_ = false;
    page.boxes.clear();
    shownPage_ = std::move(page);
    emit pageDrawn();
}

void FrmMain::ClearIconBorders()
{
    for (IconBox* box : icopic_) box->setBorder(false);
}

void FrmMain::File1_Click()
{
    const QString name = file1_->fileName();
    if (name.isEmpty()) return;
    QString folder = file1_->path();
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    if (loadedPath_ == folder + name) {
        icoscroll_->setValue(0); // redraws the first page when the value was not 0
        return;
    }
    // A new file: the row goes back to its start without reading the old
    // file's page there, and the boxes let go of the old file's icons now, so
    // that no paint shows them while the new page is read.
    {
        const QSignalBlocker quiet(icoscroll_);
        icoscroll_->setValue(0);
    }
    for (IconBox* box : icopic_) box->clearPicture();
    shownPage_ = {};
    loadedPath_ = folder + name;
    LoadIconPage(loadedPath_);
    clearBordersOnDraw_ = true; // ClearIconBorders, once the page is drawn
    // A file that cannot be read holds no icons, and the user learns why.
    if (const int error = fileReadError(loadedPath_))
        services_.prompts->message(
            this, QMessageBox::Warning, title,
            QStringLiteral("\"%1\" could not be read: %2.").arg(fileNameShown(loadedPath_), errorText(error)));
}

void FrmMain::icoscroll_Change()
{
    if (loadedPath_.isEmpty()) return;
    clearBordersOnDraw_ = false;
    LoadIconPage(loadedPath_);
}

void FrmMain::scrollIconRow(int action)
{
    if (icoscroll_->isEnabled()) icoscroll_->triggerAction(static_cast<QAbstractSlider::SliderAction>(action));
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event)
{
    const bool overRow = watched == picture1_ || watched == picIcons_ || qobject_cast<IconBox*>(watched);
    if (event->type() == QEvent::Wheel && overRow) {
        // One icon a notch (15 degrees, 120 units), down or right moving on;
        // a fine-grained wheel or touchpad adds up to whole notches.
        const QPoint angle = static_cast<QWheelEvent*>(event)->angleDelta();
        wheelAngle_ += angle.y() != 0 ? angle.y() : -angle.x();
        constexpr int notch = 120;
        for (; wheelAngle_ >= notch; wheelAngle_ -= notch) scrollIconRow(QAbstractSlider::SliderSingleStepSub);
        for (; wheelAngle_ <= -notch; wheelAngle_ += notch) scrollIconRow(QAbstractSlider::SliderSingleStepAdd);
        event->accept();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void FrmMain::icopic_MouseDown(int index, Qt::MouseButton button, QPoint globalPosition)
{
    // Past the last icon the box is blank: there is nothing to save or copy.
    if (iconsPresent_ == 0 || !icopic_[index]->holdsIcon() || button != Qt::RightButton) return;
    ClearIconBorders();
    icopic_[index]->setBorder(true);
    QAction* chosen = services_.prompts->popUp(*mnuPopUp_, globalPosition);
    if (chosen == mnuSave_)
        mnuSave_Click(index);
    else if (chosen == mnuCopy_)
        mnuCopy_Click(index);
}

// The icon box `index` shows, from the file as it stores it: its largest
// image as PNG, or the whole icon as an icon file; empty when it is gone.
QByteArray FrmMain::iconBytes(int index, bool wholeIcon) const
{
    const icons::IconReader reader{onDisk(shownPage_.path)};
    const int icon = shownPage_.first + index;
    return wholeIcon ? icons::iconFile(reader, icon) : icons::largestImageAsPng(reader, icon);
}

void FrmMain::mnuSave_Click(int index)
{
    // The icon is the one shown when the menu was chosen: a path handed over
    // while the dialog is open changes the page, not this.
    const QImage picture = icopic_[index]->picture();
    const IconPage shown = shownPage_;
    const SaveTarget target = services_.prompts->askSaveTarget(this, lastSaveFolder_);
    if (target.path.isEmpty()) return;
    QString error;
    if (target.format == SaveFormat::Bitmap) {
        error = writeBitmap(picture, target.path);
    } else {
        // The bitmap is the box's picture; the other formats come from the file as it stores the icon.
        const icons::IconReader reader{onDisk(shown.path)};
        const int icon = shown.first + index;
        const QByteArray bytes =
            target.format == SaveFormat::Png ? icons::largestImageAsPng(reader, icon) : icons::iconFile(reader, icon);
        error = bytes.isEmpty() ? QStringLiteral("%1 no longer holds that icon").arg(fileNameShown(shown.path))
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
