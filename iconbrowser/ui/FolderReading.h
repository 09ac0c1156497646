#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace glint {

// The file system as the lists see it. Paths and names are file name text
// (FileNames.h), so names that are not UTF-8 are read like any other. Errors
// are the system's error numbers (errno), 0 for none.

// A folder's entries by what they open as, each name once, unsorted: the
// folders (links to folders included) and everything else. Listing stops
// early when `stop` becomes true.
struct FolderEntries {
    int error = 0;
    QStringList folders;
    QStringList files;
};
FolderEntries readFolder(const QString& folder, const std::atomic<bool>* stop = nullptr);

// Why `path` cannot be opened and listed as a folder: ENOENT, ENOTDIR, EACCES...
int folderError(const QString& path);
// Why the regular file `path` cannot be read; 0 for anything else (a special
// file is never opened here, so a FIFO holds nothing up).
int fileReadError(const QString& path);
bool pathExists(const QString& path);
bool isFolder(const QString& path);

// The system's words for an error number.
QString errorText(int error);

// For tests, which run where every file can be read: `failure` gives the
// error to report for a path (0 for none) before the system is asked.
void injectAccessFailures(std::function<int(const QString& path)> failure);

} // namespace glint
