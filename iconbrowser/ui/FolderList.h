#pragma once

#include <QListWidget>

#include <optional>

namespace glint {

// Why a folder could not be opened, as an error number and its description.
struct FolderError {
    int number;
    QString description;
};

// The folder list (`Dir1`), as the classic folder list box: the folders from
// the root down to the current one, each opened, then the current folder's
// sub-folders. A double-click or Enter on a folder opens it.
class FolderList final : public QListWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent);

    QString path() const { return path_; }
    // Opens `path` (made absolute and clean). A folder that is not there or
    // cannot be read leaves the list as it was. A change emits pathChanged.
    std::optional<FolderError> setPath(const QString& path);

signals:
    void pathChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fill();
    void openItem(QListWidgetItem* item);

    QString path_;
};

} // namespace glint
