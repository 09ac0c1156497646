// glint-extract: counts the icons of executables, libraries or icon files, or
// writes one of them out as the icon browser would draw it.
//
//   glint-extract FILE               prints the number of icons
//   glint-extract FILE FILE...       prints one line per file: its count, its name
//   glint-extract FILE INDEX OUT     writes icon INDEX to OUT (.png keeps the
//                                    alpha; .bmp is drawn on the window colour)
//
// Three arguments are the extraction form when the second is a whole number
// or the third names a .png or .bmp file; otherwise they are three files.
// Counting needs the standard library only; the extraction form is handed to
// glint-extract-image, beside this program or in the installed program folder.

#include "CommandLine.h"
#include "Icons.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace {

using namespace glintextract;

constexpr unsigned maxWorkers = 8;

// Counts every file, one line each, in the order given; a file that cannot
// be read is reported and the rest are still counted. Files are counted on
// every core at once: each count waits mostly on its own file.
int countEach(char** paths, int pathCount)
{
    std::vector<int> counts(static_cast<std::size_t>(pathCount));
    std::atomic<int> next{0};
    const auto work = [&] {
        for (int i = next++; i < pathCount; i = next++)
            counts[static_cast<std::size_t>(i)] = icons::countIcons(std::filesystem::path(paths[i]));
    };
    const unsigned cores = std::max(1u, std::min(std::thread::hardware_concurrency(), maxWorkers));
    {
        std::vector<std::jthread> helpers;
        for (unsigned n = 1; n < std::min<unsigned>(cores, static_cast<unsigned>(pathCount)); ++n) helpers.emplace_back(work);
        work();
    }
    int status = 0;
    for (int i = 0; i < pathCount; ++i) {
        // Most files hold icons; only a count of 0 needs a look at why.
        const int count = counts[static_cast<std::size_t>(i)];
        if (count == 0 && !checkReadable(paths[i])) {
            status = exitUnreadable;
            continue;
        }
        std::printf("%d %s\n", count, paths[i]);
    }
    return status;
}

// This program's own file: the kernel's link on Linux, which also holds when
// it was started through the search path; elsewhere argv[0].
std::filesystem::path ownProgram(const char* argv0)
{
    std::error_code error;
    const auto link = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path(argv0) : link;
}

// The image writer: beside this program (the build folder, a portable copy)
// or in the installed tree's program folder, found from this program's own
// folder; by name from the search path when this program's folder is unknown.
std::string imageWriter(const std::filesystem::path& self)
{
    if (!self.has_parent_path()) return "glint-extract-image";
    const auto folder = self.parent_path();
    const auto beside = folder / "glint-extract-image";
    std::error_code error;
    if (std::filesystem::exists(beside, error)) return beside.string();
    return (folder / GLINT_LIBEXEC_FROM_PROGRAM / "glint-extract-image").lexically_normal().string();
}

// Runs the image writer with the same arguments.
int extract(char** argv)
{
    const std::string writer = imageWriter(ownProgram(argv[0]));
    char* arguments[] = {const_cast<char*>(writer.c_str()), argv[1], argv[2], argv[3], nullptr};
#ifdef _WIN32
    const auto status = _spawnvp(_P_WAIT, arguments[0], arguments);
    if (status >= 0) return static_cast<int>(status);
#else
    execvp(arguments[0], arguments);
#endif
    std::fprintf(stderr, "glint-extract: cannot run %s: %s\n", writer.c_str(), std::strerror(errno));
    return exitUnreadable;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return usage("no FILE given");
    if (argc == 2) {
        const int count = icons::countIcons(std::filesystem::path(argv[1]));
        if (count == 0 && !checkReadable(argv[1])) return exitUnreadable;
        std::printf("%d\n", count);
        return 0;
    }
    // FILE INDEX without OUT is a mistake far likelier than a file named by a number.
    if (argc == 3 && isWholeNumber(argv[2])) return usage("wrong number of arguments");
    if (argc == 4 && (isWholeNumber(argv[2]) || endsWith(argv[3], ".png") || endsWith(argv[3], ".bmp")))
        return extract(argv);
    return countEach(argv + 1, argc - 1);
}
