#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A list file opened for reading, only when it is a regular file: a FIFO, a
// device or a folder is refused at once and never waited on. The one place
// that knows how this platform opens, reads and tells files apart.
class ListFile {
public:
    // Which file it is, whatever name reached it: hard links, symbolic links
    // and other spellings of one file share it.
    struct Identity {
        std::uint64_t volume = 0;
        std::uint64_t file = 0;
        bool operator==(const Identity&) const = default;
    };

    ListFile() = default;
    ListFile(const ListFile&) = delete;
    ListFile& operator=(const ListFile&) = delete;
    ~ListFile();

    // False when path names nothing that is a regular file open for reading.
    bool open(const std::string& path);
    const Identity& identity() const { return identity_; }
    // Reads up to size bytes; 0 at the end of the file and on a read error.
    std::size_t read(char* buffer, std::size_t size);

private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int descriptor_ = -1;
#endif
    Identity identity_;
};
