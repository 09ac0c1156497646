#pragma once

#include <chrono>
#include <string>

// An advisory lock on a file of its own, held between processes for as long
// as this object lives: two players (on two displays) saving one settings
// file take turns. The lock file is made when missing and left in place, as
// removing it would let a third process lock a new file while the second
// still holds the old one.
class FileLock {
public:
    // Waits for the lock at most patience; locked() says whether it came.
    FileLock(const std::string& path, std::chrono::milliseconds patience);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool locked() const { return locked_; }
    // Why the lock file could not be opened (an errno value); 0 when it
    // opened, and the lock did not come because another process held it.
    int openError() const { return openError_; }

private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int descriptor_ = -1;
#endif
    bool locked_ = false;
    int openError_ = 0;
};
