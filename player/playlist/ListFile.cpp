#include "ListFile.h"

#ifdef _WIN32
#include <algorithm>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef _WIN32

ListFile::~ListFile()
{
    if (handle_ != nullptr) CloseHandle(handle_);
}

bool ListFile::open(const std::string& path)
{
    if (path.find('\0') != std::string::npos) return false;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    // A pipe or a character device (CON, COM1) is not a disk file.
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        CloseHandle(file);
        return false;
    }
    identity_ = {information.dwVolumeSerialNumber,
                 (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
    handle_ = file;
    return true;
}

std::size_t ListFile::read(char* buffer, std::size_t size)
{
    DWORD got = 0;
    DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    return ReadFile(handle_, buffer, wanted, &got, nullptr) ? got : 0;
}

#else

ListFile::~ListFile()
{
    if (descriptor_ >= 0) ::close(descriptor_);
}

bool ListFile::open(const std::string& path)
{
    if (path.find('\0') != std::string::npos) return false;
    // A device is never opened: opening one can itself act (a tape rewinds).
    // The open does not wait, and the opened file is checked again, so a FIFO
    // swapped in between cannot block either.
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) return false;
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return false;
    }
    identity_ = {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
    descriptor_ = descriptor;
    return true;
}

std::size_t ListFile::read(char* buffer, std::size_t size)
{
    for (;;) {
        ssize_t got = ::read(descriptor_, buffer, size);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) return 0;
    }
}

#endif
