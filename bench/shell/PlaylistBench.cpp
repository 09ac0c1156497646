// The playlist window on a list of COUNT entries (links to SONG, each a path
// of its own), offscreen:
//   playlist_bench SONG COUNT
// 1. show: from the model's reset on the engine's snapshot to the first
//    paint of the list, against the same rows put in a QStandardItemModel
//    (one item a cell) and painted in the same kind of view;
// 2. fill: from the reset until every row has its tags and length, read on
//    the window's reader thread, against reading them one after another on
//    this thread (readSongFacts, no window);
// and the longest the window thread took for a round of its events while it
// filled.
#include <QApplication>
#include <QElapsedTimer>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "FileDialogs.h"
#include "Player.h"
#include "PlaylistView.h"
#include "PlaylistWindow.h"
#include "SdlAudioDevice.h"
#include "Settings.h"
#include "ShellReadouts.h"
#include "UserMessages.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct QuietMessages : UserMessages {
    MessageAnswer ask(const std::string&, const std::string&, MessageIcon, MessageButtons) override
    {
        return MessageAnswer::ok;
    }
    void post(const std::string& caption, const std::string& text, MessageIcon) override
    {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
};

struct NoDialogs : FileDialogs {
    std::string chooseSkinFile(const std::string&) override { return {}; }
    std::vector<std::string> chooseSongs(QWidget*, const std::string&, Purpose) override { return {}; }
    std::optional<std::string> chooseFolder(QWidget*, const std::string&, Purpose) override { return std::nullopt; }
    std::optional<std::string> chooseListToSave(QWidget*, const std::string&) override { return std::nullopt; }
};

// The list's changes reach the window as ShellReadouts would pass them on.
struct ListReadouts : ShellReadouts {
    PlaylistWindow* window = nullptr;
    void showListChanged(std::uint64_t) override
    {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (window) window->listChanged();
            },
            Qt::QueuedConnection);
    }
};

// Notes the first paint of a view's rows after it is armed.
struct FirstPaint : QObject {
    bool armed = false;
    std::optional<Clock::time_point> painted;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const bool result = QObject::eventFilter(watched, event);
        if (armed && event->type() == QEvent::Paint && !painted) painted = Clock::now();
        return result;
    }
};

template <typename Done>
void processUntil(Done done)
{
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

// The peer of showing: every cell an item of a standard model.
double showInStandardModel(const std::vector<std::string>& paths)
{
    QTableView view;
    view.resize(420, 300);
    view.show();
    FirstPaint paint;
    view.viewport()->installEventFilter(&paint);
    QCoreApplication::processEvents();
    const Clock::time_point start = Clock::now();
    QStandardItemModel model(static_cast<int>(paths.size()), 4);
    for (int row = 0; row < static_cast<int>(paths.size()); ++row) {
        model.setItem(row, 0, new QStandardItem(QString::number(row + 1)));
        model.setItem(row, 1, new QStandardItem(QString::fromStdString(paths[static_cast<std::size_t>(row)])));
        model.setItem(row, 2, new QStandardItem());
        model.setItem(row, 3, new QStandardItem());
    }
    paint.armed = true;
    view.setModel(&model);
    processUntil([&] { return paint.painted.has_value(); });
    return std::chrono::duration<double, std::milli>(*paint.painted - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SONG COUNT\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication application(argc, argv);
    const int count = std::max(1, std::atoi(argv[2]));
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("playlist-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        const std::filesystem::path link = folder / ("song " + std::to_string(i) + ".mp3");
        std::filesystem::create_symlink(std::filesystem::absolute(argv[1]), link);
        paths.push_back(link.string());
    }

    SdlAudioDevice device;
    ListReadouts readouts;
    QuietMessages messages;
    NoDialogs dialogs;
    PlayerSettings settings((folder / "Sonorbox.ini").string());
    Player player(device, readouts, messages, settings);
    QWidget face(nullptr, Qt::FramelessWindowHint);
    face.setGeometry(0, 0, 340, 148);
    face.show();
    double longestGap = 0.0;
    double showMillis = 0.0;
    double fillMillis = 0.0;
    {
        PlaylistWindow window(face, player, ToolWindowPlace((folder / "Sonorbox.ini").string(), "Playlist"), messages,
                              dialogs);
        readouts.window = &window;
        window.setOpen(true);
        processUntil([&] { return window.isVisible(); });
        QCoreApplication::processEvents();
        FirstPaint paint;
        window.view().viewport()->installEventFilter(&paint);
        Clock::time_point reset;
        QObject::connect(&window.model(), &QAbstractItemModel::modelAboutToBeReset, [&] {
            reset = Clock::now();
            paint.armed = true;
        });
        player.addPaths(paths);
        processUntil([&] { return paint.painted.has_value(); });
        showMillis = std::chrono::duration<double, std::milli>(*paint.painted - reset).count();
        // The window thread waits for its events as the program's does; a
        // tick wakes it to look at the time.
        QTimer tick;
        tick.start(5);
        Clock::time_point last = Clock::now();
        while (window.reader().busy() || !window.model().isRead(paths.back())) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
            longestGap = std::max(longestGap, millisSince(last));
            last = Clock::now();
        }
        fillMillis = std::chrono::duration<double, std::milli>(Clock::now() - reset).count();
        readouts.window = nullptr;
    }
    const double peerShow = showInStandardModel(paths);
    // The peer of filling: the same songs read one after another, no window.
    const Clock::time_point serial = Clock::now();
    for (const std::string& path : paths) readSongFacts(path);
    const double peerFill = millisSince(serial);

    std::printf("show %d entries, model reset to first paint: %.1f ms; a standard item model: %.1f ms; ours/peer = "
                "%.3f\n",
                count, showMillis, peerShow, showMillis / peerShow);
    std::printf("fill their tags and lengths on the reader thread: %.0f ms; read one after another: %.0f ms; "
                "ours/peer = %.2f\n",
                fillMillis, peerFill, fillMillis / peerFill);
    std::printf("the window thread's longest round of events while filling: %.1f ms\n", longestGap);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
