#pragma once

#include <QComboBox>

namespace glint {

// The drive list (`Drive1`): the mounted file systems by their mount points,
// then the places where Windows programs are kept (the home folder and each
// Wine prefix's drive_c). Both are read when the list opens, so it shows what
// is there then and start-up does not wait on every file system.
class DriveList final : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent);

    QString drive() const { return currentText(); }
    // Chooses `drive`, adding it when it is not listed (a file system mounted
    // since the list was made). A change of drive emits driveChanged.
    void setDrive(const QString& drive);

    // The drive that holds `path`.
    static QString driveOf(const QString& path);

    void showPopup() override;

signals:
    void driveChanged();

private:
    void listMountedDrives();
};

} // namespace glint
