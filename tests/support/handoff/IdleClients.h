#pragma once

// Connections to a local socket that never say a word, as a hostile local
// program would open them by the thousand.
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace idleclients {

// Opens `count` connections to `path`; a listener whose queue is full is
// given time to take what waits. Stops at the first connection refused
// for good.
inline std::vector<int> open(const std::string& path, int count)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    std::vector<int> clients;
    for (int i = 0; i < count; ++i) {
        int connected = -1;
        for (int attempt = 0; attempt < 2000 && connected < 0; ++attempt) {
            const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (::connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
                connected = descriptor;
                break;
            }
            const bool full = errno == EAGAIN;
            ::close(descriptor);
            if (!full) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (connected < 0) break;
        clients.push_back(connected);
    }
    return clients;
}

inline void close(const std::vector<int>& clients)
{
    for (const int client : clients) ::close(client);
}

// While it lives, processes started get the usual limit of 1024 open files
// (a desktop session's), whatever the test's own is.
class UsualFileLimit {
public:
    UsualFileLimit()
    {
        ::getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit usual = saved_;
        usual.rlim_cur = 1024;
        ::setrlimit(RLIMIT_NOFILE, &usual);
    }
    ~UsualFileLimit() { ::setrlimit(RLIMIT_NOFILE, &saved_); }
    UsualFileLimit(const UsualFileLimit&) = delete;
    UsualFileLimit& operator=(const UsualFileLimit&) = delete;

private:
    rlimit saved_{};
};

} // namespace idleclients
