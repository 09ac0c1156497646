#include "DriveList.h"

#include <QStorageInfo>

#include <algorithm>

namespace glint {

DriveList::DriveList(QWidget* parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("Drive1"));
    QStringList drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid()) drives << volume.rootPath();
    drives.removeDuplicates();
    std::sort(drives.begin(), drives.end());
    addItems(drives);
    connect(this, &QComboBox::currentIndexChanged, this, &DriveList::driveChanged);
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
    const QStorageInfo volume(path);
    return volume.isValid() ? volume.rootPath() : QString();
}

} // namespace glint
