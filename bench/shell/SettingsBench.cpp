// The settings as the player's start and its first changes use them, on two
// files: the reads of the start, the first save (for a file past the bound,
// the one that keeps it aside) and the next save. Medians of several runs,
// each on a fresh copy; the large file's figures against the small one's.
//   settings_bench SMALL_INI LARGE_INI WORK_FOLDER
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Settings.h"

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

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: settings_bench SMALL_INI LARGE_INI WORK_FOLDER\n");
        return 2;
    }
    const Figures small = measure(argv[1], argv[3]);
    const Figures large = measure(argv[2], argv[3]);
    std::printf("settings, median ms of 7: start's reads %.3f (small %.3f, ratio %.2f); first save %.3f (small %.3f, "
                "ratio %.2f); next save %.3f (small %.3f, ratio %.2f)\n",
                large.startReads, small.startReads, large.startReads / small.startReads, large.firstSave,
                small.firstSave, large.firstSave / small.firstSave, large.nextSave, small.nextSave,
                large.nextSave / small.nextSave);
    return 0;
}
