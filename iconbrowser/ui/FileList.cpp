#include "FileList.h"

#include <QDirIterator>
#include <QPointer>
#include <QStringListModel>
#include <QThreadPool>

#include <algorithm>
#include <atomic>

namespace glint {

namespace {

std::atomic<bool> listingsEnded{false};

// Names only: the list needs nothing else, and nothing here opens a file.
QStringList filesOf(const QString& folder)
{
    QStringList names;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext() && !listingsEnded) names << it.nextFileInfo().fileName();
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return names;
}

} // namespace

FileList::FileList(QWidget* parent) : QListView(parent), model_(new QStringListModel(this))
{
    setObjectName(QStringLiteral("File1"));
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
    const quint64 generation = ++generation_;
    model_->setStringList({});
    if (listingsEnded) return;
    const QPointer<FileList> self(this);
    QThreadPool::globalInstance()->start([self, generation, path] {
        const QStringList names = filesOf(path);
        // Back on the window's thread; dropped if the list has gone meanwhile.
        QMetaObject::invokeMethod(self.data(), [self, generation, names] {
            if (self) self->show(generation, names);
        }, Qt::QueuedConnection);
    });
}

void FileList::endListings()
{
    listingsEnded = true;
    QThreadPool::globalInstance()->waitForDone();
}

void FileList::show(quint64 generation, const QStringList& names)
{
    if (generation == generation_) model_->setStringList(names);
}

QString FileList::fileName() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.data().toString() : QString();
}

bool FileList::selectFile(const QString& name)
{
    const int row = static_cast<int>(model_->stringList().indexOf(name));
    if (row < 0) return false;
    setCurrentIndex(model_->index(row));
    return true;
}

int FileList::fileCount() const
{
    return model_->rowCount();
}

} // namespace glint
