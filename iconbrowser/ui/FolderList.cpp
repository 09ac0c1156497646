#include "FolderList.h"

#include "Artwork.h"
#include "FileNames.h"
#include "FolderReading.h"

#include <QDir>
#include <QKeyEvent>

#include <algorithm>
#include <cerrno>

namespace glint {

namespace {

constexpr int pathRole = Qt::UserRole;
// Errors as the classic runtime numbers them.
constexpr int deviceUnavailable = 68;
constexpr int pathAccessError = 75;
constexpr int indentPixels = 8;

// The folders from the root ("/", or a drive's "C:/") down to `path`
// (absolute and clean), by text alone: a folder on the way may not be readable.
QStringList foldersDownTo(const QString& path)
{
    const qsizetype rootEnd = path.indexOf(QLatin1Char('/')) + 1;
    QString folder = path.left(rootEnd);
    QStringList folders{folder};
    for (const QString& step : path.mid(rootEnd).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
        folders << (folder += step);
    }
    return folders;
}

bool listedBefore(const QString& a, const QString& b)
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

} // namespace

QString FolderError::message() const
{
    return QStringLiteral("Error %1:  %2. \"%3\" could not be read: %4.")
        .arg(number)
        .arg(description, fileNameShown(path), reason);
}

// A tree drawn as a list: each folder one step in from its parent, nothing
// to fold, no header.
FolderList::FolderList(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("Dir1"));
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(indentPixels);
    setUniformRowHeights(true);
    connect(this, &QTreeWidget::itemDoubleClicked, this, &FolderList::openItem);
}

std::optional<FolderError> FolderList::setPath(const QString& path)
{
    const QString clean = QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().filePath(path));
    if (const int error = folderError(clean)) {
        const bool missing = error == ENOENT || error == ENOTDIR;
        return FolderError{missing ? deviceUnavailable : pathAccessError,
                           missing ? QStringLiteral("Device unavailable") : QStringLiteral("Path/File access error"),
                           clean, errorText(error)};
    }
    if (clean == path_) return std::nullopt;
    path_ = clean;
    fill();
    emit pathChanged();
    return std::nullopt;
}

void FolderList::fill()
{
    clear();
    const QIcon opened = artwork::openFolderPicture();
    const QIcon closed = artwork::closedFolderPicture();
    // The root, then each folder on the way down, one step further in.
    QTreeWidgetItem* parent = nullptr;
    for (const QString& ancestor : foldersDownTo(path_)) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        item->setText(
            0, fileNameShown(ancestor.endsWith(QLatin1Char('/')) ? ancestor : ancestor.section(QLatin1Char('/'), -1)));
        item->setIcon(0, opened);
        item->setData(0, pathRole, ancestor);
        parent = item;
    }
    QStringList names = readFolder(path_).folders;
    std::sort(names.begin(), names.end(), listedBefore);
    const QString prefix = path_.endsWith(QLatin1Char('/')) ? path_ : path_ + QLatin1Char('/');
    for (const QString& name : names) {
        auto* item = new QTreeWidgetItem(parent);
        item->setText(0, fileNameShown(name));
        item->setIcon(0, closed);
        item->setData(0, pathRole, prefix + name);
    }
    expandAll();
    setCurrentItem(parent);
}

void FolderList::openItem(QTreeWidgetItem* item)
{
    if (!item) return;
    if (const auto error = setPath(item->data(0, pathRole).toString())) emit openRefused(*error);
}

void FolderList::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openItem(currentItem());
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

} // namespace glint
