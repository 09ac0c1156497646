#pragma once

#include <QListView>

class QStringListModel;

namespace glint {

// The file list (`File1`): every file of one folder, hidden ones and special
// files included, by name. The folder is read and sorted on a worker thread
// and shown whole when ready, so a folder of many thousand files never holds
// the window up; a folder chosen meanwhile supersedes it.
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

    // Ends the listings under way and waits for their workers, which may then
    // not start again: before the program exits, no worker may outlive the
    // state it reads.
    static void endListings();

signals:
    // The user chose a file, by mouse or keys; also when choosing the chosen one again.
    void fileClicked();

private:
    void show(quint64 generation, const QStringList& names);

    QStringListModel* model_;
    QString path_;
    quint64 generation_ = 0; // which setPath a finished listing answers
};

} // namespace glint
