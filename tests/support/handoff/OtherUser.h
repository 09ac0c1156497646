#pragma once

// Another local user for the tests of what a second user on the machine can
// reach, and a listener of that user's on a local socket. The user is made
// with useradd when the tests run as the superuser (as CI does); otherwise
// the tests that need it skip, saying why.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <iterator>
#include <optional>
#include <pwd.h>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace otheruser {

struct User {
    uid_t uid;
    gid_t gid;
};

inline constexpr const char* name = "handoff-test-peer";

// The other user, made the first time; nothing, with why, when it cannot be.
inline std::optional<User> find(std::string& why)
{
    if (::geteuid() != 0) {
        why = "the tests do not run as the superuser, so they cannot make a second local user";
        return std::nullopt;
    }
    if (!::getpwnam(name)) {
        const std::string command =
            std::string("useradd --system --no-create-home --shell /usr/sbin/nologin ") + name + " >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0 || !::getpwnam(name)) {
            why = std::string("useradd could not make the user ") + name;
            return std::nullopt;
        }
    }
    const passwd* entry = ::getpwnam(name);
    return User{entry->pw_uid, entry->pw_gid};
}

inline bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// HANDOFF_SQUATTER run as the other user, listening at socketPath (in a
// folder where that user may make files; empty for one in its own folder)
// and answering as a running copy would; killed at the end.
class Squatter {
public:
    Squatter(const User& user, const std::string& socketPath = std::string()) : path_(socketPath)
    {
        // A folder of the other user's own holds a copy of the program and
        // its log: the build folder may be closed to that user.
        char made[] = "/tmp/handoff-squatter-XXXXXX";
        folder_ = ::mkdtemp(made) ? made : "";
        if (folder_.empty()) return;
        const std::string program = folder_ + "/handoff-squatter";
        std::filesystem::copy_file(HANDOFF_SQUATTER, program);
        std::filesystem::permissions(folder_, std::filesystem::perms::owner_all | std::filesystem::perms::others_exec |
                                                  std::filesystem::perms::others_read);
        if (::chown(folder_.c_str(), user.uid, user.gid) != 0) return;
        log_ = folder_ + "/heard";
        if (path_.empty()) path_ = folder_ + "/socket";
        pid_ = ::fork();
        if (pid_ == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(user.gid) != 0 || ::setuid(user.uid) != 0) ::_exit(3);
            ::execl(program.c_str(), program.c_str(), path_.c_str(), log_.c_str(), static_cast<char*>(nullptr));
            ::_exit(4);
        }
    }
    ~Squatter()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
    }
    Squatter(const Squatter&) = delete;
    Squatter& operator=(const Squatter&) = delete;

    // Whether it listens (waiting for it a while).
    bool listening() const
    {
        return pid_ > 0 && waitFor([&] { return std::filesystem::exists(log_ + ".ready"); }, std::chrono::seconds(10));
    }
    // Its socket moved to `target` (by the superuser, who may): the other
    // user's listener at a place that user could never make it.
    bool moveTo(const std::string& target)
    {
        std::error_code error;
        std::filesystem::rename(path_, target, error);
        if (!error) path_ = target;
        return !error;
    }
    // All it was sent.
    std::string heard() const
    {
        std::ifstream in(log_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // A lock file at `path` that this listener's live process holds, as a
    // running copy's would be, owned by the other user.
    bool writeLock(const std::string& path, const User& user) const
    {
        char host[256] = {};
        ::gethostname(host, sizeof host - 1);
        std::ofstream(path) << pid_ << "\nhandoff-squatter\n" << host << "\n";
        return ::chown(path.c_str(), user.uid, user.gid) == 0;
    }

private:
    std::string path_;
    std::string folder_;
    std::string log_;
    pid_t pid_ = -1;
};

} // namespace otheruser
