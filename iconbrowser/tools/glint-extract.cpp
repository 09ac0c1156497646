// glint-extract: counts the icons of executables, libraries or icon files,
// writes one or all of them out, or draws a file manager's thumbnail of one; the
// forms are in CommandLine.h's usage text.
//
// Three arguments are the extraction form when the second is a whole number
// or the third names a .png, .bmp or .ico file; otherwise they are three
// files. Counting, icon files and thumbnails need no toolkit, so they start
// at once; the .png and .bmp forms are handed to glint-extract-image, beside
// this program or in the installed program folder.

#include "CommandLine.h"
#include "Icons.h"
#include "PngCodec.h"
#include "Thumbnail.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
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
        for (unsigned n = 1; n < std::min<unsigned>(cores, static_cast<unsigned>(pathCount)); ++n)
            helpers.emplace_back(work);
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

// Writes icon INDEX of FILE as an icon file holding every image as stored.
int writeIconFile(const char* path, const char* indexText, const char* out)
{
    const auto index = iconIndex(indexText);
    if (!index) return usage("INDEX must be a whole number from 0");
    if (!checkReadable(path)) return exitUnreadable;
    const icons::IconReader reader{std::filesystem::path(path)};
    const int icon = *index;
    const auto images = reader.storedImages(icon);
    if (images.empty()) {
        std::fprintf(stderr, "glint-extract: %s holds %d icon%s; there is no icon %d with a readable image\n", path,
                     reader.count(), reader.count() == 1 ? "" : "s", icon);
        return exitUnreadable;
    }
    return writeWholeFile(out, icons::iconFileBytes(images)) ? 0 : exitUnreadable;
}

// Writes every icon of FILE into FOLDER, each as an icon file or its largest image as PNG.
int writeAll(const char* folder, const char* path, icons::ExportFormat format)
{
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        std::fprintf(stderr, "glint-extract: %s: not a folder\n", folder);
        return exitUnreadable;
    }
    if (!checkReadable(path)) return exitUnreadable;
    const icons::IconReader reader{std::filesystem::path(path)};
    if (reader.count() == 0) {
        std::fprintf(stderr, "glint-extract: %s holds no icon\n", path);
        return exitUnreadable;
    }
    const auto result = icons::exportAllIcons(reader, std::filesystem::path(path).filename().string(), folder, format);
    for (const std::string& failure : result.failures)
        std::fprintf(stderr, "glint-extract: %s/%s\n", folder, failure.c_str());
    return result.failures.empty() ? 0 : exitUnreadable;
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
int extract(char** argv, int argc)
{
    const std::string writer = imageWriter(ownProgram(argv[0]));
    std::vector<char*> arguments{const_cast<char*>(writer.c_str())};
    arguments.insert(arguments.end(), argv + 1, argv + argc);
    arguments.push_back(nullptr);
#ifdef _WIN32
    const auto status = _spawnvp(_P_WAIT, arguments[0], arguments.data());
    if (status >= 0) return static_cast<int>(status);
#else
    execvp(arguments[0], arguments.data());
#endif
    std::fprintf(stderr, "glint-extract: cannot run %s: %s\n", writer.c_str(), std::strerror(errno));
    return exitUnreadable;
}

bool isExtraction(char** args)
{
    return isWholeNumber(args[1]) || endsWith(args[2], ".png") || endsWith(args[2], ".bmp") ||
           endsWith(args[2], ".ico");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return usage("no FILE given");
    const std::string_view first = argv[1];
    if (first == "--help") {
        if (argc != 2) return usage("--help takes no arguments");
        std::fputs(usageText, stdout);
        return 0;
    }
    if (first == "--version") {
        if (argc != 2) return usage("--version takes no arguments");
        std::puts("glint-extract 1.1");
        return 0;
    }
    if (first == "--thumbnail") {
        if (argc != 5) return usage("--thumbnail takes SIZE INPUT OUTPUT.png");
        return writeThumbnail(argv[2], argv[3], argv[4]);
    }
    if (first == "--size") {
        if (argc != 6 || !isExtraction(argv + 3)) return usage("--size goes with FILE INDEX OUT");
        if (endsWith(argv[5], ".ico")) return usage("an .ico holds the whole icon: --size does not apply");
        return extract(argv, argc);
    }
    if (first == "--all") {
        const bool png = argc > 2 && std::string_view(argv[2]) == "--png";
        if (argc != (png ? 5 : 4)) return usage("--all takes [--png] FOLDER FILE");
        return writeAll(argv[argc - 2], argv[argc - 1], png ? icons::ExportFormat::Png : icons::ExportFormat::Icon);
    }
    if (first.starts_with("--")) return usage("unknown option");
    if (argc == 2) {
        const int count = icons::countIcons(std::filesystem::path(argv[1]));
        if (count == 0 && !checkReadable(argv[1])) return exitUnreadable;
        std::printf("%d\n", count);
        return 0;
    }
    // FILE INDEX without OUT is a mistake far likelier than a file named by a number.
    if (argc == 3 && isWholeNumber(argv[2])) return usage("wrong number of arguments");
    if (argc == 4 && isExtraction(argv + 1))
        return endsWith(argv[3], ".ico") ? writeIconFile(argv[1], argv[2], argv[3]) : extract(argv, argc);
    return countEach(argv + 1, argc - 1);
}
