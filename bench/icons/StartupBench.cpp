// Start-up time of window programs under the X server in DISPLAY: from the
// start of the process to its first top-level window being mapped, or, for a
// PROGRAM written PATH@TITLE, to the mapping of its window named TITLE (a
// program that shows a start-up picture before its main window). The
// programs run in turn, RUNS times each, each start in a fresh home and
// temporary folder so that no settings or running copy carry over; the
// medians and their ratio to the first program are printed.
//
//   startup_bench RUNS PROGRAM[@TITLE]...
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xlib.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool isWanted(Display* display, Window window, const std::string& title)
{
    if (title.empty()) return true;
    char* name = nullptr;
    const bool named = XFetchName(display, window, &name) && name && title == name;
    if (name) XFree(name);
    return named;
}

double runOnce(Display* display, const std::string& spec, const fs::path& home)
{
    const std::size_t at = spec.find('@');
    const std::string program = spec.substr(0, at);
    const std::string title = at == std::string::npos ? std::string() : spec.substr(at + 1);
    fs::remove_all(home);
    fs::create_directories(home / "runtime");
    fs::permissions(home / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    const std::vector<std::string> environment = {
        std::string("DISPLAY=") + DisplayString(display),
        "HOME=" + home.string(),
        "XDG_CONFIG_HOME=" + (home / "config").string(),
        "XDG_RUNTIME_DIR=" + (home / "runtime").string(),
        "TMPDIR=" + home.string(),
        "QT_QPA_PLATFORM=xcb",
    };
    std::vector<char*> envp;
    for (const auto& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};

    XSync(display, True); // drop the notices of earlier runs
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv, envp.data()) != 0) {
        std::fprintf(stderr, "cannot start %s\n", program.c_str());
        std::exit(1);
    }
    double seconds = -1;
    while (seconds < 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && event.xmap.event == DefaultRootWindow(display) &&
            isWanted(display, event.xmap.window, title))
            seconds = std::chrono::duration<double>(Clock::now() - start).count();
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_bench RUNS PROGRAM...\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "startup_bench: no X display\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    const int runs = std::max(1, std::atoi(argv[1]));
    const std::vector<std::string> programs(argv + 2, argv + argc);
    const fs::path home = fs::temp_directory_path() / ("startup-bench-" + std::to_string(getpid()));
    std::vector<std::vector<double>> times(programs.size());
    for (int run = 0; run < runs; ++run)
        for (std::size_t p = 0; p < programs.size(); ++p) times[p].push_back(runOnce(display, programs[p], home));
    fs::remove_all(home);
    std::vector<double> medians;
    for (auto& t : times) {
        std::sort(t.begin(), t.end());
        medians.push_back(t[t.size() / 2]);
    }
    for (std::size_t p = 0; p < programs.size(); ++p)
        std::printf("%s: start to window mapped, median %.1f ms (%d runs), %.2f times %s\n",
                    fs::path(programs[p].substr(0, programs[p].find('@'))).filename().c_str(), medians[p] * 1e3, runs,
                    medians[p] / medians[0], fs::path(programs[0].substr(0, programs[0].find('@'))).filename().c_str());
    XCloseDisplay(display);
    return 0;
}
