#include "FileLock.h"

#include <cerrno>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

// Between tries: short, as a save holds the lock for a few milliseconds.
constexpr std::chrono::milliseconds retryPause{2};

template <typename Try>
bool tryUntil(std::chrono::milliseconds patience, Try tryOnce)
{
    const auto until = std::chrono::steady_clock::now() + patience;
    for (;;) {
        if (tryOnce()) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(retryPause);
    }
}

} // namespace

#ifdef _WIN32

FileLock::FileLock(const std::string& path, std::chrono::milliseconds patience)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        openError_ = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
        return;
    }
    handle_ = file;
    locked_ = tryUntil(patience, [file] {
        OVERLAPPED whole{};
        return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole) != 0;
    });
}

FileLock::~FileLock()
{
    if (!handle_) return;
    if (locked_) {
        OVERLAPPED whole{};
        UnlockFileEx(handle_, 0, 1, 0, &whole);
    }
    CloseHandle(handle_);
}

#else

FileLock::FileLock(const std::string& path, std::chrono::milliseconds patience)
{
    descriptor_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor_ < 0) {
        openError_ = errno;
        return;
    }
    const int file = descriptor_;
    locked_ = tryUntil(patience, [file] { return ::flock(file, LOCK_EX | LOCK_NB) == 0; });
}

FileLock::~FileLock()
{
    // Closing the descriptor lets the lock go.
    if (descriptor_ >= 0) ::close(descriptor_);
}

#endif
