#pragma once

#include <optional>
#include <string>
#include <string_view>

// An INI text file read and written the way the player's settings and skins
// have always been: "[Section]" lines, then "key=value" lines. Section and key
// names match without regard to case; a missing file, section or key reads as
// nothing; a write creates what is missing and keeps every other line as it
// was. Each read looks at the file as it is now, so a change made by another
// program is seen. A write goes to a temporary file that is then renamed over
// the old one, so the file is never left half-written.
class IniFile {
public:
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    std::optional<std::string> read(std::string_view section, std::string_view key) const;

    // False, with the file unchanged, when the value holds a line break (it
    // would break the file's lines apart) or the file cannot be written.
    bool write(std::string_view section, std::string_view key, std::string_view value) const;

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
