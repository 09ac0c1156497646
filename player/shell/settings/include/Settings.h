#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// An INI text file read and written the way the player's settings and skins
// have always been: "[Section]" lines, then "key=value" lines. Section and key
// names match without regard to case; a missing file, section or key reads as
// nothing; a write creates what is missing and keeps every other line as it
// was. Each read looks at the file as it is now, so a change made by another
// program is seen.
//
// A write goes to a temporary file beside the file that is then renamed over
// it, so the file is never left half-written; a file that is a symbolic link
// is written at the link's target, keeping the link. Writes of all processes
// take turns under a lock on "<file>.lock" beside it, each reading the file
// anew under the lock, so no process's key is lost to another's save.
//
// A file larger than maxReadBytes (no settings file grows so large by itself)
// is read only up to its last whole line within headroomBytes less, so that
// what is saved of it has room to change without passing the bound again.
// Its first write keeps its whole former content aside as "<file>.large" (a
// second name of the same file, no copy) and writes the part that was read,
// changed.
class IniFile {
public:
    static constexpr std::size_t maxReadBytes = std::size_t{1} << 20;
    static constexpr std::size_t headroomBytes = std::size_t{64} << 10;

    // What a write did, for the user: a problem to tell, with its text
    // naming the file.
    enum class Notice { none, notSaved, keptAside };
    struct Written {
        bool written = false;
        Notice notice = Notice::none;
        std::string text;
    };

    explicit IniFile(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    std::optional<std::string> read(std::string_view section, std::string_view key) const;

    // Not written, and nothing to tell, when the value holds a line break (it
    // would break the file's lines apart); not written, with a notice, when
    // the file cannot be written. The old file then stays as it was.
    Written save(std::string_view section, std::string_view key, std::string_view value) const;
    bool write(std::string_view section, std::string_view key, std::string_view value) const
    {
        return save(section, key, value).written;
    }

private:
    std::string path_;
};

// The same rules on text held in memory.
namespace initext {

// The value of the first key of that name in the first section of that name:
// the text after the equals sign without the blanks around it.
std::optional<std::string> lookup(std::string_view text, std::string_view section, std::string_view key);

// The text with the key set to value: an existing line is replaced, a new key
// goes after the last key of its section, a new section at the end. New lines
// end the way the text's first line does.
std::string withValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value);

} // namespace initext
