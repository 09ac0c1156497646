#pragma once

#include <QTreeWidget>

#include <optional>

namespace glint {

// Why a folder could not be opened: the error number and description the
// classic runtime gives it, the folder, and the system's reason.
struct FolderError {
    int number;
    QString description;
    QString path;
    QString reason;

    // "Error 75:  Path/File access error. "/mnt/disk" could not be read: Permission denied."
    QString message() const;
};

// The folder list (`Dir1`), as the classic folder list box: the folders from
// the root down to the current one, each opened, then the current folder's
// sub-folders (only what opens as a folder: no FIFO, device or dangling
// link). A double-click or Enter on a folder opens it; one that cannot be
// opened is refused with openRefused, and the list stays as it was.
class FolderList final : public QTreeWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent);

    QString path() const { return path_; }
    // Opens `path` (made absolute and clean). A folder that is not there or
    // cannot be read leaves the list as it was. A change emits pathChanged.
    std::optional<FolderError> setPath(const QString& path);

signals:
    void pathChanged();
    void openRefused(const glint::FolderError& error);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Nothing folds, so no branch marks are drawn.
    void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}

private:
    void fill();
    void openItem(QTreeWidgetItem* item);

    QString path_;
};

} // namespace glint
