#include "FileList.h"

#include "FileNames.h"
#include "FolderReading.h"

#include <QFileSystemWatcher>
#include <QTimer>
#include <QPointer>
#include <QStringListModel>
#include <QThreadPool>

#include <algorithm>
#include <atomic>

namespace glint {

namespace {

// Changes that come in a burst (a file being written, a copy of many) are listed once.
constexpr int relistDelayMs = 100;

// The list's order: by name without regard to case, then by case.
bool listedBefore(const QString& a, const QString& b)
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

std::atomic<bool> listingsEnded{false};

// Names only: the list needs nothing else, and nothing here opens a file.
QStringList filesOf(const QString& folder)
{
    QStringList names = readFolder(folder, &listingsEnded).files;
    std::sort(names.begin(), names.end(), listedBefore);
    return names;
}

// The names as they are (the edit role) and as shown, bytes that are not UTF-8 marked.
class FileNamesModel final : public QStringListModel {
public:
    using QStringListModel::QStringListModel;
    QVariant data(const QModelIndex& index, int role) const override
    {
        const QVariant name = QStringListModel::data(index, role == Qt::DisplayRole ? Qt::EditRole : role);
        return role == Qt::DisplayRole ? QVariant(fileNameShown(name.toString())) : name;
    }
};

} // namespace

FileList::FileList(QWidget* parent)
    : QListView(parent), model_(new FileNamesModel(this)), watcher_(new QFileSystemWatcher(this)),
      relist_(new QTimer(this))
{
    relist_->setSingleShot(true);
    relist_->setInterval(relistDelayMs);
    connect(relist_, &QTimer::timeout, this, &FileList::list);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, relist_, qOverload<>(&QTimer::start));
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
    if (!path_.isEmpty()) watcher_->removePath(path_);
    path_ = path;
    pendingChoice_.clear();
    relist_->stop();
    model_->setStringList({});
    // A folder that cannot be watched (no watches left) is still listed.
    watcher_->addPath(path);
    list();
}

void FileList::list()
{
    if (listingsEnded) return;
    const quint64 generation = ++generation_;
    const QPointer<FileList> self(this);
    const QString path = path_;
    QThreadPool::globalInstance()->start([self, generation, path] {
        const QStringList names = filesOf(path);
        // Back on the window's thread; dropped if the list has gone meanwhile.
        QMetaObject::invokeMethod(
            self.data(),
            [self, generation, names] {
                if (self) self->show(generation, names);
            },
            Qt::QueuedConnection);
    });
}

void FileList::endListings()
{
    listingsEnded = true;
    QThreadPool::globalInstance()->waitForDone();
}

void FileList::show(quint64 generation, const QStringList& names)
{
    if (generation != generation_) return;
    merge(names);
    if (!pendingChoice_.isEmpty() && selectFile(pendingChoice_)) pendingChoice_.clear();
}

// Takes out the rows whose files have gone and puts the new ones in their
// places, so the rows that stay keep their choice and the view its scroll.
void FileList::merge(const QStringList& names)
{
    if (model_->rowCount() == 0) {
        model_->setStringList(names); // a first listing: one reset, however many files
        return;
    }
    int row = 0;
    qsizetype next = 0;
    while (row < model_->rowCount() || next < names.size()) {
        const QString listed = row < model_->rowCount() ? model_->index(row).data(Qt::EditRole).toString() : QString();
        if (row < model_->rowCount() && (next == names.size() || listedBefore(listed, names[next]))) {
            model_->removeRow(row);
        } else if (row == model_->rowCount() || listedBefore(names[next], listed)) {
            model_->insertRow(row);
            model_->setData(model_->index(row), names[next++]);
            ++row;
        } else {
            ++row;
            ++next;
        }
    }
}

void FileList::chooseWhenListed(const QString& name)
{
    pendingChoice_ = selectFile(name) ? QString() : name;
}

QString FileList::fileName() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.data(Qt::EditRole).toString() : QString();
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
