#pragma once

// A virtual X server of the test's own, for tests that need a real display.
// Xvfb picks a free display number itself (-displayfd) and says which once it
// listens, so tests started side by side never share or fight over a display,
// whatever numbers other servers on the machine hold. Ended with the object.
// Standard library and POSIX only, for tests with and without Qt.

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace xtest {

class XvfbProcess {
public:
    explicit XvfbProcess(const std::string& screen = "1024x768x24") { start(screen); }
    ~XvfbProcess() { stop(); }
    XvfbProcess(const XvfbProcess&) = delete;
    XvfbProcess& operator=(const XvfbProcess&) = delete;

    bool isRunning() const { return number_ >= 0; }
    // ":N", the DISPLAY value of the server.
    // Appended, not prefixed: GCC 12 at -O3 takes the prefixing insert for
    // an overlapping copy (-Wrestrict) where this is inlined.
    std::string display() const { return std::string(":").append(std::to_string(number_)); }
    int number() const { return number_; }
    // Why it could not start, when it did not.
    const std::string& failure() const { return failure_; }

    static bool installed() { return !program().empty(); }

private:
    static std::string program()
    {
        for (const char* folder : {"/usr/bin", "/usr/local/bin", "/bin"}) {
            std::string path = std::string(folder) + "/Xvfb";
            if (access(path.c_str(), X_OK) == 0) return path;
        }
        return {};
    }

    void start(const std::string& screen)
    {
        const std::string path = program();
        if (path.empty()) {
            failure_ = "Xvfb is not installed";
            return;
        }
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            failure_ = "no pipe for Xvfb";
            return;
        }
        // The write end becomes descriptor 3 of the server, with its own
        // (inherited) copy; ours closes after the spawn, so the read ends
        // when the server dies before it says its number.
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        // Without -noreset it starts itself anew whenever its last client
        // leaves (a tool that looked at it), and refuses a program connecting
        // meanwhile.
        std::string args[] = {path, "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp", "-noreset"};
        char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(), args[4].data(),
                        args[5].data(), args[6].data(), args[7].data(), args[8].data(), nullptr};
        const int spawned = posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (spawned != 0) {
            pid_ = -1;
            close(fds[0]);
            failure_ = "Xvfb did not start";
            return;
        }
        number_ = readNumber(fds[0]);
        close(fds[0]);
        if (number_ < 0) {
            failure_ = "Xvfb did not say which display it took";
            stop();
        }
    }

    // The display number, a line of digits, within a generous limit for a
    // loaded machine; -1 when the server ends or stays silent.
    static int readNumber(int fd)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        std::string written;
        while (written.find('\n') == std::string::npos) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0) return -1;
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
            char buffer[32];
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n <= 0) return -1;
            written.append(buffer, static_cast<std::size_t>(n));
        }
        const std::string digits = written.substr(0, written.find('\n'));
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return -1;
        return std::atoi(digits.c_str());
    }

    void stop()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (waitpid(pid_, nullptr, WNOHANG) == 0) {
                if (std::chrono::steady_clock::now() > end) {
                    kill(pid_, SIGKILL);
                    waitpid(pid_, nullptr, 0);
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        pid_ = -1;
        number_ = -1;
    }

    pid_t pid_ = -1;
    int number_ = -1;
    std::string failure_;
};

} // namespace xtest
