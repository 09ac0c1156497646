// Reads arbitrary bytes as a small tree of M3U lists. The input is cut at each
// 0x1E byte into up to five lists, a.m3u, b.m3u, sub/c.m3u, sub/d.m3u and
// Mixed Case/E.M3U8, in a scratch folder that also holds a hard link to
// a.m3u, a symbolic link to sub/c.m3u, a FIFO, a folder and a link to a
// device, all named like lists, and songs whose names differ from simple
// lines in case or encoding ("Mixed Case/Song.MP3", "Mixed Case/Caf\u00e9.mp3");
// so nesting, lists naming themselves under other names, special files, and
// the search for names in other cases and in Windows-1252 are all within
// reach. Lines of any length, any line ends, NUL bytes, addresses
// and Windows paths come with the bytes. The first byte, when not 0, asks the
// load to stop after that many lines. The scratch folder is then walked as a
// folder given to play, which reads the same lists, links and special files
// by the folder's rules.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "Playlist.h"

namespace {

const char* const listNames[] = {"a.m3u", "b.m3u", "sub/c.m3u", "sub/d.m3u", "Mixed Case/E.M3U8"};

// Made once per process and removed at its end.
class ScratchTree {
public:
    ScratchTree() : root_(std::filesystem::temp_directory_path() / ("fuzz_m3u_playlist-" + std::to_string(::getpid())))
    {
        namespace fs = std::filesystem;
        fs::remove_all(root_);
        fs::create_directories(root_ / "sub");
        fs::create_directories(root_ / "Mixed Case");
        write("Mixed Case/Song.MP3", nullptr, 0);
        write("Mixed Case/Caf\xc3\xa9.mp3", nullptr, 0);
        for (const char* name : listNames) write(name, nullptr, 0);
        fs::create_hard_link(root_ / "a.m3u", root_ / "hard.m3u");
        fs::create_symlink(root_ / "sub/c.m3u", root_ / "soft.m3u");
        ::mkfifo((root_ / "pipe.m3u").c_str(), 0600);
        fs::create_directory(root_ / "folder.m3u");
        fs::create_symlink("/dev/zero", root_ / "sub/zero.m3u");
    }
    ~ScratchTree()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    // Rewrites the file in place, so the hard link keeps naming it.
    void write(const char* name, const std::uint8_t* data, std::size_t size) const
    {
        std::FILE* file = std::fopen((root_ / name).c_str(), "wb");
        if (file == nullptr) return;
        if (size > 0) std::fwrite(data, 1, size, file);
        std::fclose(file);
    }

    std::string path(const char* name) const { return (root_ / name).string(); }
    std::string root() const { return root_.string(); }

private:
    std::filesystem::path root_;
};

const ScratchTree& scratchTree()
{
    static const ScratchTree tree;
    return tree;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const ScratchTree& tree = scratchTree();
    int stopAfter = data[0];
    const std::uint8_t* at = data + 1;
    const std::uint8_t* end = data + size;
    for (const char* name : listNames) {
        const std::uint8_t* cut = at;
        while (cut != end && *cut != 0x1e) ++cut;
        tree.write(name, at, static_cast<std::size_t>(cut - at));
        at = cut == end ? end : cut + 1;
    }

    // What the load could not do is told to no one.
    Playlist playlist([](const std::string&) {});
    int lines = 0;
    playlist.addFileOrList(tree.path("a.m3u"), [&] { return stopAfter != 0 && ++lines > stopAfter; });
    lines = 0;
    playlist.addFileOrList(tree.root(), [&] { return stopAfter != 0 && ++lines > stopAfter; });
    playlist.moveTo(playlist.count());
    std::string current;
    playlist.getCurrent(current);
    return 0;
}
