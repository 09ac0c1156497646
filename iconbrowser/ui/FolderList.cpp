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
const QString indentStep = QStringLiteral("   ");

} // namespace

FolderList::FolderList(QWidget* parent) : QListWidget(parent)
{
    setObjectName(QStringLiteral("Dir1"));
    connect(this, &QListWidget::itemDoubleClicked, this, &FolderList::openItem);
}

std::optional<FolderError> FolderList::setPath(const QString& path)
{
    const QFileInfo folder(path);
    if (!folder.exists() || !folder.isDir()) return FolderError{deviceUnavailable, QStringLiteral("Device unavailable")};
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
    for (QDir dir(path_);; ) {
        ancestors.prepend(dir.absolutePath());
        if (!dir.cdUp()) break;
    }
    QString indent;
    for (const QString& ancestor : ancestors) {
        const QString name = ancestor == QDir::rootPath() ? ancestor : QFileInfo(ancestor).fileName();
        auto* item = new QListWidgetItem(opened, indent + name, this);
        item->setData(pathRole, ancestor);
        indent += indentStep;
    }
    setCurrentRow(count() - 1);
    const QDir current(path_);
    const auto names = current.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
        QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        auto* item = new QListWidgetItem(closed, indent + name, this);
        item->setData(pathRole, current.filePath(name));
    }
}

void FolderList::openItem(QListWidgetItem* item)
{
    if (item) setPath(item->data(pathRole).toString());
}

void FolderList::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openItem(currentItem());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

} // namespace glint
