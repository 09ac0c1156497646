#include "FolderReading.h"

#include "FileNames.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <QDir>
#include <QFileInfo>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace glint {

namespace {

std::function<int(const QString&)>& injected()
{
    static std::function<int(const QString&)> failure;
    return failure;
}

int injectedError(const QString& path)
{
    return injected() ? injected()(path) : 0;
}

} // namespace

void injectAccessFailures(std::function<int(const QString& path)> failure)
{
    injected() = std::move(failure);
}

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

#ifndef _WIN32

namespace {

// What the entry opens as: a link is followed, a dangling link or a loop is no folder.
bool opensAsFolder(int folder, const dirent& entry)
{
    if (entry.d_type == DT_DIR) return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
    struct stat status {};
    return ::fstatat(folder, entry.d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

FolderEntries readFolder(const QString& folder, const std::atomic<bool>* stop)
{
    FolderEntries entries;
    if ((entries.error = injectedError(folder)) != 0) return entries;
    const int descriptor = ::open(fileNameBytes(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
        entries.error = errno;
        return entries;
    }
    DIR* listing = ::fdopendir(descriptor);
    if (!listing) {
        entries.error = errno;
        ::close(descriptor);
        return entries;
    }
    while (!(stop && *stop)) {
        errno = 0;
        const dirent* entry = ::readdir(listing);
        if (!entry) {
            entries.error = errno;
            break;
        }
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        const QString name = fileNameText(QByteArray(entry->d_name));
        (opensAsFolder(::dirfd(listing), *entry) ? entries.folders : entries.files) << name;
    }
    ::closedir(listing);
    return entries;
}

int folderError(const QString& path)
{
    if (const int error = injectedError(path)) return error;
    const QByteArray bytes = fileNameBytes(path);
    struct stat status {};
    if (::stat(bytes.constData(), &status) != 0) return errno;
    if (!S_ISDIR(status.st_mode)) return ENOTDIR;
    const int descriptor = ::open(bytes.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return errno;
    ::close(descriptor);
    // Listing needs read, going in needs search permission.
    return ::access(bytes.constData(), X_OK) == 0 ? 0 : errno;
}

int fileReadError(const QString& path)
{
    if (const int error = injectedError(path)) return error;
    const QByteArray bytes = fileNameBytes(path);
    struct stat status {};
    if (::stat(bytes.constData(), &status) != 0) return errno;
    if (!S_ISREG(status.st_mode)) return 0;
    const int descriptor = ::open(bytes.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return errno;
    ::close(descriptor);
    return 0;
}

bool pathExists(const QString& path)
{
    struct stat status {};
    return ::stat(fileNameBytes(path).constData(), &status) == 0;
}

bool isFolder(const QString& path)
{
    struct stat status {};
    return ::stat(fileNameBytes(path).constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

#else

// Windows names are UTF-16 already: the toolkit's own reading loses nothing.
FolderEntries readFolder(const QString& folder, const std::atomic<bool>* stop)
{
    FolderEntries entries;
    if ((entries.error = injectedError(folder)) != 0) return entries;
    const QDir dir(folder);
    if (!dir.exists()) {
        entries.error = ENOENT;
        return entries;
    }
    for (const QFileInfo& entry :
         dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (stop && *stop) break;
        (entry.isDir() ? entries.folders : entries.files) << entry.fileName();
    }
    return entries;
}

int folderError(const QString& path)
{
    if (const int error = injectedError(path)) return error;
    const QFileInfo folder(path);
    if (!folder.exists()) return ENOENT;
    if (!folder.isDir()) return ENOTDIR;
    return folder.isReadable() ? 0 : EACCES;
}

int fileReadError(const QString& path)
{
    if (const int error = injectedError(path)) return error;
    const QFileInfo file(path);
    if (!file.exists()) return ENOENT;
    return !file.isFile() || file.isReadable() ? 0 : EACCES;
}

bool pathExists(const QString& path)
{
    return QFileInfo::exists(path);
}

bool isFolder(const QString& path)
{
    return QFileInfo(path).isDir();
}

#endif

} // namespace glint
