#include "DriveList.h"

#include "FileNames.h"
#include "WindowsPlaces.h"

#include <QDir>
#include <QSignalBlocker>
#include <QStorageInfo>

#include <algorithm>

namespace glint {

DriveList::DriveList(QWidget* parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("Drive1"));
    connect(this, &QComboBox::currentIndexChanged, this, &DriveList::driveChanged);
}

void DriveList::showPopup()
{
    listMountedDrives();
    QComboBox::showPopup();
}

// Lists the mounts and places afresh, keeping the chosen drive chosen without a change.
void DriveList::listMountedDrives()
{
    QStringList drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid()) drives << volume.rootPath();
    const QString chosen = drive();
    if (!chosen.isEmpty()) drives << chosen;
    std::sort(drives.begin(), drives.end());
    drives += windowsProgramPlaces(QDir::homePath());
    drives.removeDuplicates();
    const QSignalBlocker quiet(this);
    clear();
    addItems(drives);
    setCurrentIndex(findText(chosen));
}

void DriveList::setDrive(const QString& drive)
{
    int index = findText(drive);
    if (index < 0) {
        addItem(drive);
        index = count() - 1;
    }
    setCurrentIndex(index);
}

QString DriveList::driveOf(const QString& path)
{
    // The toolkit takes UTF-8 paths only; a folder named otherwise lies on the drive of its parent.
    QString usable = path;
    while (fileNameShown(usable) != usable) usable = usable.section(QLatin1Char('/'), 0, -2);
    const QStorageInfo volume(usable.isEmpty() ? QDir::rootPath() : usable);
    return volume.isValid() ? volume.rootPath() : QString();
}

} // namespace glint
