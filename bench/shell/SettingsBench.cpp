// The settings as the player's start and its first changes use them, on two
// files: the reads of the start, the first save (for a file past the bound,
// the one that keeps it aside) and the next save. Medians of several runs,
// each on a fresh copy; the large file's figures against the small one's.
// Then ten wheel notches' volumes on the small file, each saved at once (as
// the window did before the volume waited to rest) against saved once they
// rest: the file's writes, counted as the renames that put each new file in
// place, and the window thread's time for the ten.
//   settings_bench SMALL_INI LARGE_INI WORK_FOLDER
#include <sys/inotify.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Settings.h"
#include "VolumeSave.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
    double startReads = 0;
    double firstSave = 0;
    double nextSave = 0;
};

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

Figures measure(const std::string& source, const std::string& folder)
{
    constexpr int runs = 7;
    std::vector<double> reads, first, next;
    const std::string path = folder + "/bench-Sonorbox.ini";
    for (int run = 0; run < runs; ++run) {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().filename().string().rfind("bench-Sonorbox.ini", 0) == 0)
                std::filesystem::remove(entry.path(), ignored);
        std::filesystem::copy_file(source, path);
        PlayerSettings settings(path);
        WindowPosition position(path);
        auto start = Clock::now();
        // What the start reads: the skin (and its folder), the song, the
        // volume, the place, and "Pure" for the player thread.
        volatile std::size_t sink = settings.getSkin().size() + settings.getSkinDirectory().size() +
                                    settings.getSong().size() + settings.getVolume() + position.readX() +
                                    position.readY() + settings.getInt("Pure");
        (void)sink;
        reads.push_back(millisecondsSince(start));
        start = Clock::now();
        settings.putSong("/music/a.mp3");
        first.push_back(millisecondsSince(start));
        start = Clock::now();
        settings.putVolume(55);
        next.push_back(millisecondsSince(start));
    }
    return {median(reads), median(first), median(next)};
}

struct Notches {
    int writes = 0;
    double milliseconds = 0;
};

// Each save renames a new file over the old one: one IN_MOVED_TO on its name.
int renamesTo(int watch, const std::string& name)
{
    alignas(inotify_event) char events[4096];
    int count = 0;
    for (ssize_t got; (got = ::read(watch, events, sizeof events)) > 0;) {
        for (char* at = events; at < events + got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            if ((event->mask & IN_MOVED_TO) && event->len && name == event->name) ++count;
            at += sizeof(inotify_event) + event->len;
        }
    }
    return count;
}

Notches tenNotches(const std::string& source, const std::string& folder, bool rested)
{
    const std::string name = "bench-volume.ini";
    const std::string path = folder + "/" + name;
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    std::filesystem::copy_file(source, path);
    PlayerSettings settings(path);
    VolumeSave save([&](int volume) { settings.putVolume(volume); });
    const int watch = ::inotify_init1(IN_NONBLOCK);
    ::inotify_add_watch(watch, folder.c_str(), IN_MOVED_TO);
    // Read after each step: the kernel merges like events left unread.
    int writes = 0;
    double milliseconds = 0;
    for (int volume = 95; volume >= 50; volume -= 5) {
        const auto start = Clock::now();
        if (rested)
            save.changed(volume);
        else
            settings.putVolume(volume);
        milliseconds += millisecondsSince(start);
        writes += renamesTo(watch, name);
    }
    // The rest passes and the one save follows.
    QTimer::singleShot(2 * VolumeSave::restMilliseconds, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    writes += renamesTo(watch, name);
    const Notches notches{writes, milliseconds};
    ::close(watch);
    return notches;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: settings_bench SMALL_INI LARGE_INI WORK_FOLDER\n");
        return 2;
    }
    QCoreApplication application(argc, argv);
    const Figures small = measure(argv[1], argv[3]);
    const Figures large = measure(argv[2], argv[3]);
    std::printf("settings, median ms of 7: start's reads %.3f (small %.3f, ratio %.2f); first save %.3f (small %.3f, "
                "ratio %.2f); next save %.3f (small %.3f, ratio %.2f)\n",
                large.startReads, small.startReads, large.startReads / small.startReads, large.firstSave,
                small.firstSave, large.firstSave / small.firstSave, large.nextSave, small.nextSave,
                large.nextSave / small.nextSave);
    const Notches atOnce = tenNotches(argv[1], argv[3], false);
    const Notches rested = tenNotches(argv[1], argv[3], true);
    std::printf("volume, 10 wheel notches: %d writes saved at once, %d saved once rested; window thread %.3f ms "
                "against %.3f ms (ratio %.3f)\n",
                atOnce.writes, rested.writes, rested.milliseconds, atOnce.milliseconds,
                rested.milliseconds / atOnce.milliseconds);
    return 0;
}
