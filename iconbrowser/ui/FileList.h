#pragma once

#include <QListView>

class QFileSystemWatcher;
class QStringListModel;
class QTimer;

namespace glint {

// The file list (`File1`): every file of one folder, hidden ones and special
// files included, by name. The folder is read and sorted on a worker thread
// and shown whole when ready, so a folder of many thousand files never holds
// the window up; a folder chosen meanwhile supersedes it. The list follows
// the folder: files that appear in it or leave it are added or taken out in
// their sorted places, the chosen file staying chosen, without a click.
class FileList final : public QListView {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent);

    QString path() const { return path_; }
    void setPath(const QString& path);
    // The name of the chosen file, or empty.
    QString fileName() const;
    // Chooses the file called `name` once it is listed; false while it is not.
    bool selectFile(const QString& name);
    int fileCount() const;
    // Chooses `name` as soon as a listing of the folder shows it (at once
    // when it does already), as if the user had clicked it.
    void chooseWhenListed(const QString& name);

    // Ends the listings under way and waits for their workers, which may then
    // not start again: before the program exits, no worker may outlive the
    // state it reads.
    static void endListings();

signals:
    // The user chose a file, by mouse or keys; also when choosing the chosen one again.
    void fileClicked();

private:
    void list();
    void show(quint64 generation, const QStringList& names);
    void merge(const QStringList& names);

    QStringListModel* model_;
    QFileSystemWatcher* watcher_;
    QTimer* relist_; // gathers a burst of changes into one listing
    QString path_;
    QString pendingChoice_;
    quint64 generation_ = 0; // which listing a finished one answers
};

} // namespace glint
