#include "FolderList.h"

#include "Artwork.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>

namespace glint {

namespace {

constexpr int pathRole = Qt::UserRole;
// Errors as the classic runtime numbers them.
constexpr int deviceUnavailable = 68;
constexpr int pathAccessError = 75;
constexpr int indentPixels = 8;

} // namespace

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
    const QFileInfo folder(path);
    if (!folder.exists() || !folder.isDir())
        return FolderError{deviceUnavailable, QStringLiteral("Device unavailable")};
    if (!folder.isReadable() || !folder.isExecutable())
        return FolderError{pathAccessError, QStringLiteral("Path/File access error")};
    const QString clean = QDir::cleanPath(folder.absoluteFilePath());
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
    QStringList ancestors;
    for (QDir dir(path_);;) {
        ancestors.prepend(dir.absolutePath());
        if (!dir.cdUp()) break;
    }
    QTreeWidgetItem* parent = nullptr;
    for (const QString& ancestor : ancestors) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        item->setText(0, ancestor == QDir::rootPath() ? ancestor : QFileInfo(ancestor).fileName());
        item->setIcon(0, opened);
        item->setData(0, pathRole, ancestor);
        parent = item;
    }
    const QDir current(path_);
    const auto names = current.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                         QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        auto* item = new QTreeWidgetItem(parent);
        item->setText(0, name);
        item->setIcon(0, closed);
        item->setData(0, pathRole, current.filePath(name));
    }
    expandAll();
    setCurrentItem(parent);
}

void FolderList::openItem(QTreeWidgetItem* item)
{
    if (item) setPath(item->data(0, pathRole).toString());
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
