// The real GlintGatherer under an X server of its own (Xvfb): the window as it
// is mapped, a second start that hands over and ends, and a close that writes
// the settings. Skipped when Xvfb is not installed.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "IdleClients.h"
#include "OtherUser.h"

// After the test framework: Xlib's macros (None, Bool, Status) would break its headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include "XvfbProcess.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Polls `condition` every few milliseconds until it holds or `limit` passes.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

std::optional<fs::path> findProgram(const std::string& name)
{
    for (const char* folder : {"/usr/bin", "/usr/local/bin", "/bin"})
        if (access((fs::path(folder) / name).c_str(), X_OK) == 0) return fs::path(folder) / name;
    return std::nullopt;
}

// A child process with its own environment; killed if still running at the end.
class Process {
public:
    Process(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
            const fs::path& folder)
    {
        std::vector<char*> argv;
        for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (const auto& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        // The program starts in `folder`, where its lists open.
        const std::string previous = fs::current_path().string();
        fs::current_path(folder);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
        fs::current_path(previous);
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Process()
    {
        if (running()) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool started() const { return pid_ > 0; }
    void signal(int number) const
    {
        if (pid_ > 0) kill(pid_, number);
    }
    bool running()
    {
        if (pid_ <= 0 || status_) return false;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = status;
            return false;
        }
        return true;
    }
    std::optional<int> exitCode()
    {
        running();
        if (!status_ || !WIFEXITED(*status_)) return std::nullopt;
        return WEXITSTATUS(*status_);
    }

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

struct TopLevel {
    Window id;
    XWindowAttributes attributes;
};

class GlintGathererOnX : public testing::Test {
protected:
    void SetUp() override
    {
        const auto xvfb = findProgram("Xvfb");
        if (!xvfb) GTEST_SKIP() << "Xvfb is not installed (Debian package xvfb): the real window is not tested";
        home_ = fs::temp_directory_path() / ("glint-x-" + std::to_string(getpid()));
        fs::create_directories(home_ / "runtime");
        fs::create_directories(home_ / "start" / "sub" / "inner");
        fs::permissions(home_ / "runtime", fs::perms::owner_all, fs::perm_options::replace);
        display_ = startServer(displayName_, xvfb_);
        ASSERT_TRUE(display_) << "no display could be started";
    }

    // An X server on a display it chose itself, and a connection to it.
    Display* startServer(std::string& name, std::unique_ptr<xtest::XvfbProcess>& server)
    {
        auto started = std::make_unique<xtest::XvfbProcess>();
        if (!started->isRunning()) return nullptr;
        Display* display = XOpenDisplay(started->display().c_str());
        if (!display) return nullptr;
        name = started->display();
        server = std::move(started);
        return display;
    }

    void TearDown() override
    {
        programs_.clear();
        if (display_) XCloseDisplay(display_);
        xvfb_.reset();
        std::error_code ignored;
        fs::remove_all(home_, ignored);
    }

    Process& start(const std::vector<std::string>& arguments = {}, const std::string& display = {})
    {
        const std::vector<std::string> environment = {
            "DISPLAY=" + (display.empty() ? displayName_ : display),
            "HOME=" + home_.string(),
            "XDG_CONFIG_HOME=" + (home_ / "config").string(),
            "XDG_RUNTIME_DIR=" + (home_ / "runtime").string(),
            "TMPDIR=" + home_.string(), // the single-instance socket lives there
            "QT_QPA_PLATFORM=xcb",
        };
        std::vector<std::string> command{GLINT_GATHERER};
        command.insert(command.end(), arguments.begin(), arguments.end());
        programs_.push_back(std::make_unique<Process>(command, environment, home_ / "start"));
        return *programs_.back();
    }

    std::vector<TopLevel> mappedWindowsNamed(const std::string& title, Display* display = nullptr)
    {
        if (!display) display = display_;
        std::vector<TopLevel> found;
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return found;
        for (unsigned int i = 0; i < count; ++i) {
            XWindowAttributes attributes;
            if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable)
                continue;
            char* name = nullptr;
            if (XFetchName(display, children[i], &name) && name) {
                if (title == name) found.push_back({children[i], attributes});
                XFree(name);
            }
        }
        if (children) XFree(children);
        return found;
    }

    // Asks the window to close as a window manager's close box does.
    void closeWindow(Window window)
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display_, window, False, NoEventMask, &event);
        XFlush(display_);
    }

    // A key press and release sent straight to `window`, as the server would deliver them.
    void sendKey(Window window, KeySym key)
    {
        XEvent event{};
        event.xkey.display = display_;
        event.xkey.window = window;
        event.xkey.root = DefaultRootWindow(display_);
        event.xkey.keycode = XKeysymToKeycode(display_, key);
        event.xkey.same_screen = True;
        event.xkey.type = KeyPress;
        XSendEvent(display_, window, True, KeyPressMask, &event);
        event.xkey.type = KeyRelease;
        XSendEvent(display_, window, True, KeyReleaseMask, &event);
        XFlush(display_);
    }

    // The pixels of the window (from row `top` on), as the server holds them.
    std::vector<unsigned long> pixels(Window window, int width, int height, int top = 0)
    {
        std::vector<unsigned long> result;
        XImage* image = XGetImage(display_, window, 0, top, width, height - top, AllPlanes, ZPixmap);
        if (!image) return result;
        for (int y = 0; y < height - top; ++y)
            for (int x = 0; x < width; ++x) result.push_back(XGetPixel(image, x, y));
        XDestroyImage(image);
        return result;
    }

    fs::path settingsFile() const { return home_ / "config" / "Glint Gatherer" / "Glint Gatherer.conf"; }

    fs::path home_;
    Display* display_ = nullptr;
    std::string displayName_;
    std::unique_ptr<xtest::XvfbProcess> xvfb_;
    std::vector<std::unique_ptr<Process>> programs_;
};

TEST_F(GlintGathererOnX, ASecondStartHandsOverAndEndsLeavingOneWindow)
{
    Process& first = start();
    std::vector<TopLevel> windows;
    ASSERT_TRUE(waitFor([&] { return !(windows = mappedWindowsNamed("Glint Gatherer")).empty(); }, 20s))
        << "the window never appeared";
    const TopLevel main = windows.front();
    // 7260 twips at 96 dots per inch; no window manager, so no frame around it.
    EXPECT_EQ(main.attributes.width, 484);
    EXPECT_GT(main.attributes.height, 276) << "the client area and the menu bar";
    EXPECT_EQ(main.attributes.x, 67) << "1000 twips from the left: no settings yet";
    EXPECT_EQ(main.attributes.y, 67);

    Process& second = start();
    ASSERT_TRUE(waitFor([&] { return !second.running(); }, 20s)) << "the second start never ended";
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(first.running());
    EXPECT_EQ(mappedWindowsNamed("Glint Gatherer").size(), 1u);
    Window focus = 0;
    int revert = 0;
    ASSERT_TRUE(waitFor(
        [&] {
            XGetInputFocus(display_, &focus, &revert);
            return focus == main.id;
        },
        5s))
        << "the running copy has the keyboard focus";
    EXPECT_FALSE(fs::exists(settingsFile())) << "the second start wrote no settings";

    // The Enter that a start hands over opens the folder chosen in the folder
    // list, which has the focus: choose "sub", the last row, and start again.
    const int width = main.attributes.width, height = main.attributes.height;
    // End is sent until it has moved the list and a further End moves
    // nothing: a press that arrives before the window has the focus goes
    // nowhere, and a repaint for the focus alone is not the move.
    std::vector<unsigned long> chosen = pixels(main.id, width, height);
    bool moved = false;
    ASSERT_TRUE(waitFor(
        [&] {
            sendKey(main.id, XK_End);
            std::vector<unsigned long> after;
            const bool changed = waitFor(
                [&] {
                    after = pixels(main.id, width, height);
                    return after != chosen;
                },
                300ms);
            if (changed) chosen = after;
            moved = moved || changed;
            return moved && !changed;
        },
        10s))
        << "the End key never settled the folder list on its last row";
    Process& third = start();
    ASSERT_TRUE(waitFor([&] { return !third.running(); }, 20s)) << "the third start never ended";
    EXPECT_EQ(third.exitCode(), 0);
    EXPECT_TRUE(waitFor([&] { return pixels(main.id, width, height) != chosen; }, 5s))
        << "the Enter never reached the running copy: \"sub\" was not opened";
    EXPECT_EQ(mappedWindowsNamed("Glint Gatherer").size(), 1u);

    closeWindow(main.id);
    ASSERT_TRUE(waitFor([&] { return !first.running(); }, 20s)) << "the window never closed";
    EXPECT_EQ(first.exitCode(), 0);
    std::ifstream settings(settingsFile());
    std::stringstream text;
    text << settings.rdbuf();
    EXPECT_NE(text.str().find("[Settings]"), std::string::npos) << text.str();
    // 1000 twips fall on pixel 67, which is 1005 twips: whole pixels from then on.
    EXPECT_NE(text.str().find("MainLeft=1005"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("MainWidth=7260"), std::string::npos) << text.str();
}

// The row of icon boxes: 3150 to 3720 twips down the 4140-twip client area, below the menu bar.
std::pair<int, int> iconRow(int windowHeight)
{
    return {windowHeight - 276 + 210, windowHeight - 276 + 248};
}

TEST_F(GlintGathererOnX, APathOnTheCommandLineOrHandedOverShowsItsIcons)
{
    const std::string dll = std::string(ICON_DATA_DIR) + "/icons64.dll";
    // The icon row as a start with the path shows it.
    std::vector<unsigned long> shown;
    TopLevel main{};
    {
        Process& first = start({dll});
        std::vector<TopLevel> windows;
        ASSERT_TRUE(waitFor([&] { return !(windows = mappedWindowsNamed("Glint Gatherer")).empty(); }, 20s));
        main = windows.front();
        const auto [top, bottom] = iconRow(main.attributes.height);
        // The icons are drawn once the folder has been listed and the file chosen: the row
        // holds their colours (a blank row has the boxes' and the window's only) and has settled.
        std::vector<unsigned long> previous;
        ASSERT_TRUE(waitFor(
            [&] {
                shown = pixels(main.id, main.attributes.width, bottom, top);
                const bool settled = shown == previous;
                previous = shown;
                return settled && std::set<unsigned long>(shown.begin(), shown.end()).size() > 5;
            },
            10s))
            << "no icons drawn for the path";
        closeWindow(main.id);
        ASSERT_TRUE(waitFor([&] { return !first.running(); }, 20s));
    }

    Process& running = start();
    std::vector<TopLevel> windows;
    ASSERT_TRUE(waitFor([&] { return !(windows = mappedWindowsNamed("Glint Gatherer")).empty(); }, 20s));
    main = windows.front();
    const auto [top, bottom] = iconRow(main.attributes.height);
    std::vector<unsigned long> row = pixels(main.id, main.attributes.width, bottom, top);
    EXPECT_NE(row, shown) << "no path: no icons";
    Process& second = start({dll});
    ASSERT_TRUE(waitFor([&] { return !second.running(); }, 20s)) << "the start with a path never ended";
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(waitFor([&] { return pixels(main.id, main.attributes.width, bottom, top) == shown; }, 10s))
        << "the running window did not show the handed path's icons";
    EXPECT_EQ(mappedWindowsNamed("Glint Gatherer").size(), 1u);
    EXPECT_TRUE(running.running());
}

TEST_F(GlintGathererOnX, EachDisplayHasItsOwnCopy)
{
    std::string otherName;
    std::unique_ptr<xtest::XvfbProcess> otherServer;
    Display* other = startServer(otherName, otherServer);
    ASSERT_TRUE(other) << "no second display could be started";
    Process& here = start();
    ASSERT_TRUE(waitFor([&] { return !mappedWindowsNamed("Glint Gatherer").empty(); }, 20s));
    Process& there = start({}, otherName);
    const bool shown = waitFor([&] { return !mappedWindowsNamed("Glint Gatherer", other).empty(); }, 20s);
    EXPECT_TRUE(shown) << "the start on the other display handed over instead of showing its window";
    EXPECT_TRUE(there.running());
    // The same display written as its first screen is the same display: that start hands over.
    Process& again = start({}, displayName_ + ".0");
    EXPECT_TRUE(waitFor([&] { return !again.running(); }, 20s)) << "\":N.0\" did not find the copy on \":N\"";
    EXPECT_EQ(again.exitCode(), 0);
    EXPECT_TRUE(here.running());
    EXPECT_EQ(mappedWindowsNamed("Glint Gatherer").size(), 1u);
    programs_.clear(); // before the second server goes
    XCloseDisplay(other);
}

TEST_F(GlintGathererOnX, SigtermClosesTheWindowAsItsCloseBoxDoesAndWritesThePlacement)
{
    Process& program = start();
    ASSERT_TRUE(waitFor([&] { return !mappedWindowsNamed("Glint Gatherer").empty(); }, 20s))
        << "the window never appeared";
    const auto sent = std::chrono::steady_clock::now();
    program.signal(SIGTERM);
    ASSERT_TRUE(waitFor([&] { return !program.running(); }, 20s)) << "SIGTERM did not end the program";
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sent);
    std::cout << "[ figure   ] SIGTERM to exit: " << took.count() << " ms\n";
    EXPECT_EQ(program.exitCode(), 0);
    std::ifstream settings(settingsFile());
    std::stringstream text;
    text << settings.rdbuf();
    EXPECT_NE(text.str().find("MainLeft=1005"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("MainHeight="), std::string::npos) << text.str();
}

// The X server gone: the toolkit ends the program with status 1; ending the
// file listings first neither holds that end up nor crashes it.
TEST_F(GlintGathererOnX, TheDisplayGoneEndsTheProgramWithStatusOne)
{
    Process& program = start();
    ASSERT_TRUE(waitFor([&] { return !mappedWindowsNamed("Glint Gatherer").empty(); }, 20s))
        << "the window never appeared";
    XCloseDisplay(display_);
    display_ = nullptr;
    xvfb_.reset();
    ASSERT_TRUE(waitFor([&] { return !program.running(); }, 20s)) << "the program outlived its display";
    EXPECT_EQ(program.exitCode(), 1) << "a crash, or an end the toolkit did not choose";
}

// Glint Gatherer started without a runtime folder, so that it falls back on
// `temporary` (shared by all users, as /tmp is).
Process& startWithoutRuntimeFolder(std::vector<std::unique_ptr<Process>>& programs, const fs::path& home,
                                   const std::string& display, const fs::path& temporary,
                                   const std::vector<std::string>& arguments)
{
    const std::vector<std::string> environment = {
        "DISPLAY=" + display,           "HOME=" + home.string(), "XDG_CONFIG_HOME=" + (home / "config").string(),
        "TMPDIR=" + temporary.string(), "QT_QPA_PLATFORM=xcb",
    };
    std::vector<std::string> command{GLINT_GATHERER};
    command.insert(command.end(), arguments.begin(), arguments.end());
    programs.push_back(std::make_unique<Process>(command, environment, home / "start"));
    return *programs.back();
}

// A folder that every user may make files in, as /tmp.
fs::path sharedTemporaryFolder(const fs::path& home)
{
    const fs::path shared = home / "tmp";
    fs::create_directories(shared);
    fs::permissions(home, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
    return shared;
}

// Another user was first: that user's servers at the name the program used
// to listen on in the shared temporary folder, and in the folder of its own
// it would make there, made by that user.
TEST_F(GlintGathererOnX, AnotherUsersServerWhereTheProgramWouldListenHearsNothingAndTheWindowShows)
{
    std::string why;
    const auto user = otheruser::find(why);
    if (!user) GTEST_SKIP() << why;
    const fs::path shared = sharedTemporaryFolder(home_);
    const std::string uid = std::to_string(getuid());
    const fs::path taken = shared / ("glintgatherer-" + uid);
    fs::create_directory(taken);
    fs::permissions(taken, fs::perms::all);
    ASSERT_EQ(chown(taken.c_str(), user->uid, user->gid), 0);
    otheruser::Squatter inItsFolder(*user, (taken / ("Glint Gatherer " + displayName_)).string());
    otheruser::Squatter atItsOldName(*user, (shared / ("Glint Gatherer " + uid + " " + displayName_)).string());
    ASSERT_TRUE(inItsFolder.listening());
    ASSERT_TRUE(atItsOldName.listening());

    const std::string dll = std::string(ICON_DATA_DIR) + "/icons64.dll";
    Process& program = startWithoutRuntimeFolder(programs_, home_, displayName_, shared, {dll});
    EXPECT_TRUE(waitFor([&] { return !mappedWindowsNamed("Glint Gatherer").empty(); }, 20s))
        << "the start handed over to another user's server instead of showing its window";
    EXPECT_TRUE(program.running());
    EXPECT_EQ(inItsFolder.heard(), "");
    EXPECT_EQ(atItsOldName.heard(), "");
}

// Another user's server at the very place of the running copy's (put there by
// the superuser: that user could never make it in a private folder) is
// refused by its credentials: the later start hears nothing from it, sends it
// nothing, and runs as the first copy.
TEST_F(GlintGathererOnX, AServerOfAnotherUserInThePrivateFolderHearsNothingAndTheStartRunsAsTheFirstCopy)
{
    std::string why;
    const auto user = otheruser::find(why);
    if (!user) GTEST_SKIP() << why;
    Process& first = start();
    ASSERT_TRUE(waitFor([&] { return !mappedWindowsNamed("Glint Gatherer").empty(); }, 20s));
    const fs::path server = home_ / "runtime" / ("Glint Gatherer " + displayName_);
    ASSERT_TRUE(waitFor([&] { return fs::exists(server); }, 20s)) << server;
    otheruser::Squatter squatter(*user);
    ASSERT_TRUE(squatter.listening());
    ASSERT_TRUE(squatter.moveTo(server.string()));

    Process& second = start({std::string(ICON_DATA_DIR) + "/icons64.dll"});
    EXPECT_TRUE(waitFor([&] { return mappedWindowsNamed("Glint Gatherer").size() == 2; }, 20s))
        << "the later start handed over to the other user's server";
    EXPECT_TRUE(second.running());
    EXPECT_TRUE(first.running());
    EXPECT_EQ(squatter.heard(), "");
}

// A thousand and more clients that connect and say nothing, more than the
// program may have files open: it keeps answering, and a later start hands over.
TEST_F(GlintGathererOnX, ManyIdleClientsDoNotKeepALaterStartFromHandingOver)
{
    std::unique_ptr<idleclients::UsualFileLimit> usualLimit = std::make_unique<idleclients::UsualFileLimit>();
    Process& first = start();
    usualLimit.reset();
    ASSERT_TRUE(waitFor([&] { return !mappedWindowsNamed("Glint Gatherer").empty(); }, 20s));
    const fs::path server = home_ / "runtime" / ("Glint Gatherer " + displayName_);
    ASSERT_TRUE(waitFor([&] { return fs::exists(server); }, 20s)) << server;
    const std::vector<int> idle = idleclients::open(server.string(), 1500);
    EXPECT_EQ(idle.size(), 1500u) << "the server stopped taking connections";

    Process& second = start({std::string(ICON_DATA_DIR) + "/icons64.dll"});
    EXPECT_TRUE(waitFor([&] { return !second.running(); }, 20s)) << "the later start never ended";
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(first.running());
    EXPECT_EQ(mappedWindowsNamed("Glint Gatherer").size(), 1u) << "the later start ran a copy of its own";
    idleclients::close(idle);
}

// A later start with a path that does not exist: the running copy says so
// in a box, and the later start has ended before that box is closed; closed,
// the copy lives on, takes the next start and ends as asked.
TEST_F(GlintGathererOnX, AMessageForAHandedPathHoldsNeitherTheLaterStartNorCrashesTheRunningCopy)
{
    // The box's window may go between listing it and asking about it.
    struct IgnoredErrors {
        XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        ~IgnoredErrors() { XSetErrorHandler(previous); }
    } ignoredErrors;
    Process& first = start();
    std::vector<TopLevel> windows;
    ASSERT_TRUE(waitFor([&] { return (windows = mappedWindowsNamed("Glint Gatherer")).size() == 1; }, 20s));
    const Window main = windows.front().id;
    for (int box = 0; box < 3; ++box) {
        Process& later = start({"/no/such/path"});
        ASSERT_TRUE(waitFor([&] { return mappedWindowsNamed("Glint Gatherer").size() == 2; }, 20s))
            << "no box said the path is neither a file nor a folder";
        // Answered before the box came: it ends well before the 5 s it
        // used to wait for an answer.
        EXPECT_TRUE(waitFor([&] { return !later.running(); }, 4s)) << "the later start waits for the box";
        EXPECT_EQ(later.exitCode(), 0);
        Window shown = 0;
        for (const TopLevel& window : mappedWindowsNamed("Glint Gatherer"))
            if (window.id != main) shown = window.id;
        ASSERT_TRUE(waitFor(
            [&] {
                sendKey(shown, XK_Return);
                return waitFor([&] { return mappedWindowsNamed("Glint Gatherer").size() == 1; }, 300ms);
            },
            10s))
            << "the box never closed";
        EXPECT_FALSE(waitFor([&] { return !first.running(); }, 500ms)) << "the running copy died";
    }
    Process& next = start();
    EXPECT_TRUE(waitFor([&] { return !next.running(); }, 20s));
    EXPECT_EQ(next.exitCode(), 0);
    EXPECT_EQ(mappedWindowsNamed("Glint Gatherer").size(), 1u);
    first.signal(SIGTERM);
    ASSERT_TRUE(waitFor([&] { return !first.running(); }, 20s));
    EXPECT_EQ(first.exitCode(), 0);
}

// A path longer than the platform allows is refused at once, by a first
// start and a later one alike, without a window.
TEST_F(GlintGathererOnX, APathBeyondThePlatformsLimitIsRefusedAtOnce)
{
    const std::string tooLong = "/" + std::string(100000, 'x');
    Process& alone = start({tooLong});
    ASSERT_TRUE(waitFor([&] { return !alone.running(); }, 10s));
    EXPECT_EQ(alone.exitCode(), 1);
    EXPECT_TRUE(mappedWindowsNamed("Glint Gatherer").empty());

    Process& first = start();
    ASSERT_TRUE(waitFor([&] { return mappedWindowsNamed("Glint Gatherer").size() == 1; }, 20s));
    Process& later = start({tooLong});
    ASSERT_TRUE(waitFor([&] { return !later.running(); }, 10s));
    EXPECT_EQ(later.exitCode(), 1);
    EXPECT_FALSE(waitFor([&] { return mappedWindowsNamed("Glint Gatherer").size() > 1; }, 1s))
        << "the running copy showed a box for it";
    EXPECT_TRUE(first.running());
}

} // namespace

namespace {

// The window manager's frame around the client window called `title`, as
// the frame's place on the root window; nothing while it is not mapped.
std::optional<std::pair<Window, XWindowAttributes>> frameOf(Display* display, const std::string& title)
{
    std::optional<std::pair<Window, XWindowAttributes>> found;
    const std::function<bool(Window)> holds = [&](Window window) {
        char* name = nullptr;
        if (XFetchName(display, window, &name) && name) {
            const bool same = title == name;
            XFree(name);
            if (same) return true;
        }
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        bool inside = false;
        if (XQueryTree(display, window, &root, &parent, &children, &count))
            for (unsigned int i = 0; i < count && !inside; ++i) inside = holds(children[i]);
        if (children) XFree(children);
        return inside;
    };
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return found;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
            holds(children[i]))
            found = std::make_pair(children[i], attributes);
    }
    if (children) XFree(children);
    return found;
}

// The client window called `title` inside its frame.
Window clientOf(Display* display, Window frame, const std::string& title)
{
    char* name = nullptr;
    if (XFetchName(display, frame, &name) && name) {
        const bool same = title == name;
        XFree(name);
        if (same) return frame;
    }
    Window root = 0, parent = 0, found = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, frame, &root, &parent, &children, &count))
        for (unsigned int i = 0; i < count && !found; ++i) found = clientOf(display, children[i], title);
    if (children) XFree(children);
    return found;
}

std::string settingOf(const std::string& text, const std::string& key)
{
    const auto at = text.find("\n" + key + "=");
    if (at == std::string::npos) return {};
    const auto start = at + key.size() + 2;
    return text.substr(start, text.find('\n', start) - start);
}

} // namespace

// Under a window manager the frame holds the window: its place is what is
// written and what the next start restores, so start after start the
// window stands where it was.
TEST_F(GlintGathererOnX, UnderAWindowManagerTheWindowStaysWhereItWasStartAfterStart)
{
    const auto openbox = findProgram("openbox");
    if (!openbox) GTEST_SKIP() << "openbox is not installed (Debian package openbox): no window manager to test under";
    Process manager({openbox->string()}, {"DISPLAY=" + displayName_, "HOME=" + home_.string()}, home_);
    const Atom managerSelection = XInternAtom(display_, "WM_S0", False);
    ASSERT_TRUE(waitFor([&] { return XGetSelectionOwner(display_, managerSelection) != 0; }, 20s))
        << "openbox never took the screen";

    std::vector<std::pair<int, int>> frames;
    std::vector<std::pair<std::string, std::string>> stored;
    for (int cycle = 0; cycle < 6; ++cycle) {
        Process& program = start();
        std::optional<std::pair<Window, XWindowAttributes>> frame;
        // Mapped, reparented into its frame, and settled where the manager put it.
        std::optional<std::pair<int, int>> previous;
        ASSERT_TRUE(waitFor(
            [&] {
                frame = frameOf(display_, "Glint Gatherer");
                if (!frame || clientOf(display_, frame->first, "Glint Gatherer") == frame->first) return false;
                const std::pair<int, int> place{frame->second.x, frame->second.y};
                const bool settled = previous == place;
                previous = place;
                if (!settled) std::this_thread::sleep_for(200ms);
                return settled;
            },
            20s))
            << "cycle " << cycle << ": the framed window never appeared";
        frames.push_back(*previous);
        closeWindow(clientOf(display_, frame->first, "Glint Gatherer"));
        ASSERT_TRUE(waitFor([&] { return !program.running(); }, 20s)) << "cycle " << cycle << ": no end";
        std::ifstream settings(settingsFile());
        std::stringstream text;
        text << "\n" << settings.rdbuf();
        stored.emplace_back(settingOf(text.str(), "MainLeft"), settingOf(text.str(), "MainTop"));
    }
    std::cout << "[ figure   ] frame place after each start under openbox:";
    for (const auto& [x, y] : frames) std::cout << " (" << x << ", " << y << ")";
    std::cout << "\n[ figure   ] MainLeft/MainTop after each close:";
    for (const auto& [left, top] : stored) std::cout << " " << left << "/" << top;
    std::cout << "\n";
    for (size_t cycle = 2; cycle < frames.size(); ++cycle) {
        EXPECT_EQ(frames[cycle], frames[1]) << "start " << cycle + 1 << " moved the window";
        EXPECT_EQ(stored[cycle], stored[1]) << "close " << cycle + 1 << " wrote another place";
    }
    EXPECT_EQ(frames[1], frames[0]) << "the first start's place is the one restored";
    programs_.clear();
}

// An end signal while the start-up message is shown ends the program; the
// next start then runs a window of its own instead of handing over.
TEST_F(GlintGathererOnX, AnEndSignalAtTheStartUpMessageEndsTheProgram)
{
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        Process& program = start({(home_ / "no such file").string()});
        // The main window and the message box over it, both titled with the program's name.
        ASSERT_TRUE(waitFor([&] { return mappedWindowsNamed("Glint Gatherer").size() == 2; }, 20s))
            << "signal " << number << ": the message never showed";
        program.signal(number);
        ASSERT_TRUE(waitFor([&] { return !program.running(); }, 20s))
            << "signal " << number << " left the program running behind its message";
        EXPECT_EQ(program.exitCode(), 0);
        EXPECT_TRUE(waitFor([&] { return mappedWindowsNamed("Glint Gatherer").empty(); }, 5s));
    }
}

namespace {

// Runs the program with `arguments` and no display; its status and what it wrote.
std::pair<int, std::string> runWithoutDisplay(const std::string& arguments, const std::string& display = {})
{
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                                (display.empty() ? std::string() : "DISPLAY=" + display + " ") +
                                std::string(GLINT_GATHERER) + " " + arguments + " 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {-1, output};
    char buffer[4096];
    while (const size_t read = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, read);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(GlintGathererWithoutDisplay, HelpAndVersionNeedNoDisplay)
{
    const auto [helpStatus, help] = runWithoutDisplay("--help");
    EXPECT_EQ(helpStatus, 0) << help;
    EXPECT_EQ(help.rfind("usage: GlintGatherer [PATH]\n", 0), 0u) << help;
    EXPECT_NE(help.find("--version"), std::string::npos) << help;
    const auto [versionStatus, version] = runWithoutDisplay("--version");
    EXPECT_EQ(versionStatus, 0) << version;
    EXPECT_EQ(version, "GlintGatherer 1.1\n");
}

TEST(GlintGathererWithoutDisplay, SaysSoInOneLineAndEndsWithStatusOne)
{
    const auto [status, output] = runWithoutDisplay("");
    EXPECT_EQ(status, 1) << output;
    EXPECT_EQ(output, "GlintGatherer: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)\n");
    // A display named but not there: the toolkit's plugin text and abort become one line too.
    const auto [unreachable, said] = runWithoutDisplay("", ":987");
    EXPECT_EQ(unreachable, 1) << said;
    EXPECT_EQ(said, "GlintGatherer: cannot show a window: the display \":987\" could not be reached\n");
}

} // namespace
