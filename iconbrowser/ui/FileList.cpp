#include "FileList.h"

#include <QAbstractFileIconProvider>
#include <QFileSystemModel>

namespace glint {

namespace {

// Names only. A picture or a type per file would be looked up on the window's
// thread, the type by opening every file to sniff its content: slower than
// the listing itself, and a hang on a stalled file system.
class NamesOnly final : public QAbstractFileIconProvider {
public:
    QIcon icon(IconType) const override { return {}; }
    QIcon icon(const QFileInfo&) const override { return {}; }
    QString type(const QFileInfo&) const override { return QStringLiteral("File"); }
};

NamesOnly namesOnly;

} // namespace

FileList::FileList(QWidget* parent) : QListView(parent), model_(new QFileSystemModel(this))
{
    setObjectName(QStringLiteral("File1"));
    model_->setIconProvider(&namesOnly);
    model_->setFilter(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    model_->setReadOnly(true);
    model_->sort(0, Qt::AscendingOrder);
    setModel(model_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QListView::clicked, this, &FileList::fileClicked);
    // A file chosen with the keys counts as clicked; the current row that the
    // view sets on getting the focus chooses nothing, so it does not.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this](const QItemSelection& chosen) {
        if (!chosen.isEmpty()) emit fileClicked();
    });
}

void FileList::setPath(const QString& path)
{
    path_ = path;
    setRootIndex(model_->setRootPath(path));
}

QString FileList::fileName() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? model_->fileName(current) : QString();
}

bool FileList::selectFile(const QString& name)
{
    const QModelIndex index = model_->index(QDir(path_).filePath(name));
    if (!index.isValid() || index.parent() != rootIndex()) return false;
    setCurrentIndex(index);
    return true;
}

int FileList::fileCount() const
{
    return model_->rowCount(rootIndex());
}

} // namespace glint
