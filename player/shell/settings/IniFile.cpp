#include "Settings.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <thread>
#include <vector>

#include "FileLock.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

bool equalNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (isBlank(text.front()) || text.front() == '\r')) text.remove_prefix(1);
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// One line of the file, without its line break.
struct Line {
    std::string_view text;
    std::size_t begin; // offset of the line in the whole text
    std::size_t end;   // offset just past its line break
};

std::vector<Line> splitLines(std::string_view text)
{
    std::vector<Line> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t feed = text.find('\n', begin);
        std::size_t end = feed == std::string_view::npos ? text.size() : feed + 1;
        std::size_t contentEnd = feed == std::string_view::npos ? text.size() : feed;
        if (contentEnd > begin && text[contentEnd - 1] == '\r') --contentEnd;
        lines.push_back({text.substr(begin, contentEnd - begin), begin, end});
        begin = end;
    }
    return lines;
}

// "[name]" gives name; anything else is not a section line.
std::optional<std::string_view> sectionName(std::string_view line)
{
    line = trimmed(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    std::size_t close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trimmed(line.substr(1, close - 1));
}

bool isComment(std::string_view line)
{
    line = trimmed(line);
    return !line.empty() && (line.front() == ';' || line.front() == '#');
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> keyLine(std::string_view line)
{
    if (isComment(line)) return std::nullopt;
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return KeyLine{trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1))};
}

// Where a section's lines are: the index of its header line, and of the line
// after its last key line.
struct SectionPlace {
    std::size_t header;
    std::size_t afterLastKey;
    std::optional<std::size_t> keyIndex;
};

std::optional<SectionPlace> findSection(const std::vector<Line>& lines, std::string_view section, std::string_view key)
{
    std::optional<SectionPlace> place;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (auto name = sectionName(lines[i].text)) {
            if (place) break;
            if (equalNoCase(*name, section)) place = SectionPlace{i, i + 1, std::nullopt};
            continue;
        }
        if (!place) continue;
        if (auto entry = keyLine(lines[i].text)) {
            place->afterLastKey = i + 1;
            if (!place->keyIndex && equalNoCase(entry->key, key)) place->keyIndex = i;
        }
    }
    return place;
}

std::string lineBreakOf(std::string_view text)
{
    std::size_t feed = text.find('\n');
    if (feed != std::string_view::npos && feed > 0 && text[feed - 1] == '\r') return "\r\n";
#ifdef _WIN32
    if (feed == std::string_view::npos) return "\r\n";
#endif
    return "\n";
}

} // namespace

IniSections::IniSections(std::string_view text)
{
    // Key lines before the first section belong to none, and are never read.
    for (const Line& line : splitLines(text)) {
        if (auto name = sectionName(line.text))
            sections_.push_back({std::string(*name), {}});
        else if (auto entry = keyLine(line.text); entry && !sections_.empty())
            sections_.back().keys.emplace_back(std::string(entry->key), std::string(entry->value));
    }
}

std::optional<std::string> IniSections::value(std::string_view section, std::string_view key) const
{
    // Only the first section of the name counts, as findSection has it.
    for (const Section& named : sections_) {
        if (!equalNoCase(named.name, section)) continue;
        for (const auto& [name, value] : named.keys)
            if (equalNoCase(name, key)) return value;
        return std::nullopt;
    }
    return std::nullopt;
}

namespace initext {

std::optional<std::string> lookup(std::string_view text, std::string_view section, std::string_view key)
{
    std::vector<Line> lines = splitLines(text);
    std::optional<SectionPlace> place = findSection(lines, section, key);
    if (!place || !place->keyIndex) return std::nullopt;
    return std::string(keyLine(lines[*place->keyIndex].text)->value);
}

std::string withValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value)
{
    const std::string lineBreak = lineBreakOf(text);
    const std::string newLine = std::string(key) + "=" + std::string(value);
    std::vector<Line> lines = splitLines(text);
    std::optional<SectionPlace> place = findSection(lines, section, key);

    std::string result;
    if (place && place->keyIndex) {
        const Line& old = lines[*place->keyIndex];
        std::size_t contentEnd = old.begin + old.text.size();
        result.append(text.substr(0, old.begin)).append(newLine).append(text.substr(contentEnd));
        return result;
    }
    if (place) {
        // After the section's last key (or its header), before any blank or
        // comment lines that trail it.
        const Line& last = lines[place->afterLastKey - 1];
        std::string_view before = text.substr(0, last.end);
        result.append(before);
        if (last.end == 0 || text[last.end - 1] != '\n') result.append(lineBreak); // the last line had no line break
        result.append(newLine).append(lineBreak).append(text.substr(last.end));
        return result;
    }
    result.append(text);
    if (!result.empty() && result.back() != '\n') result.append(lineBreak);
    result.append("[").append(section).append("]").append(lineBreak).append(newLine).append(lineBreak);
    return result;
}

} // namespace initext

namespace {

namespace fs = std::filesystem;

// How long a save waits for another process's save to end, and for a file
// that another program is writing in place to settle.
constexpr std::chrono::milliseconds lockPatience{5000};
constexpr int settleTries = 10;
constexpr std::chrono::milliseconds settlePause{20};
// An empty file changed longer ago than this is taken as empty at once.
constexpr std::chrono::seconds recentChange{2};
// Symbolic links followed at most, as the system does.
constexpr int maxLinks = 40;

// The part of a file that is read: all of it, or, past the bound, its whole
// lines within the bound less the headroom.
struct Head {
    std::string text;
    bool cut = false;
};

std::optional<Head> readHead(const std::string& path)
{
    // A pipe or a device named as the file would hold the reading without end.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    const std::streamoff size = in.tellg();
    in.seekg(0);
    Head head;
    head.text.resize(size >= 0 ? std::min<std::size_t>(static_cast<std::size_t>(size) + 1, IniFile::maxReadBytes + 1)
                               : IniFile::maxReadBytes + 1);
    in.read(head.text.data(), static_cast<std::streamsize>(head.text.size()));
    if (in.bad()) return std::nullopt;
    head.text.resize(static_cast<std::size_t>(in.gcount()));
    if (head.text.size() > IniFile::maxReadBytes) {
        head.cut = true;
        const std::size_t lastFeed = head.text.rfind('\n', IniFile::maxReadBytes - IniFile::headroomBytes - 1);
        head.text.resize(lastFeed == std::string::npos ? 0 : lastFeed + 1);
    }
    return head;
}

// The file a symbolic link leads to, through any chain of links; the path
// itself when it is no link. A link whose target is missing leads there too:
// the write then makes the target.
std::string linkTarget(const std::string& path)
{
    fs::path at(path);
    std::error_code error;
    for (int step = 0; step < maxLinks && fs::is_symlink(fs::symlink_status(at, error)); ++step) {
        const fs::path to = fs::read_symlink(at, error);
        if (error) break;
        at = to.is_absolute() ? to : at.parent_path() / to;
    }
    return at.string();
}

struct FileState {
    bool exists = false;
    std::uintmax_t size = 0;
    fs::file_time_type changed{};
    bool operator==(const FileState&) const = default;
};

FileState stateOf(const std::string& path)
{
    std::error_code error;
    FileState state;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::exists(status)) return state;
    state.exists = true;
    state.size = fs::file_size(path, error);
    state.changed = fs::last_write_time(path, error);
    return state;
}

// The file as it stands once nobody is changing it. Our own writers replace
// it whole, by renaming; an editor saving in place empties it first and
// writes it then, so a read that changes under it, or finds it emptied just
// now, is tried again a little later, and such a file only counts as empty
// when it stays so.
struct Snapshot {
    bool readable = false;
    bool exists = false;
    Head head;
};

Snapshot settledContent(const std::string& path)
{
    for (int attempt = 0;; ++attempt) {
        const FileState before = stateOf(path);
        if (!before.exists) return {true, false, {}};
        std::optional<Head> head = readHead(path);
        const bool last = attempt + 1 >= settleTries;
        if (!head) {
            if (last) return {};
        } else {
            const bool whole = head->cut || head->text.size() == before.size;
            const bool settled = whole && stateOf(path) == before;
            const bool emptiedJustNow =
                head->text.empty() && fs::file_time_type::clock::now() - before.changed < recentChange;
            if (settled && (!emptiedJustNow || last)) return {true, true, std::move(*head)};
            if (last) return {};
        }
        std::this_thread::sleep_for(settlePause);
    }
}

IniFile::Written notSaved(const std::string& file, const std::string& why)
{
    return {false, IniFile::Notice::notSaved,
            "The settings could not be saved to \"" + file + "\" (" + why + "); it keeps the settings it had."};
}

std::string reasonOf(int error)
{
    return error != 0 ? std::generic_category().message(error) : std::string("the file could not be written");
}

bool writeNewFile(const std::string& path, const std::string& text, int& error)
{
    errno = 0;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        error = errno;
        return false;
    }
    bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    written = std::fflush(out) == 0 && written;
#ifndef _WIN32
    written = ::fsync(fileno(out)) == 0 && written;
#endif
    if (!written) error = errno;
    written = std::fclose(out) == 0 && written;
    if (!written && error == 0) error = errno;
    return written;
}

// A free name beside the file for its former whole content.
std::optional<std::string> asideName(const std::string& file)
{
    std::error_code error;
    for (int number = 1; number <= 100; ++number) {
        std::string name = file + ".large";
        if (number > 1) name.append(".").append(std::to_string(number));
        if (!fs::exists(fs::symlink_status(name, error))) return name;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> IniFile::read(std::string_view section, std::string_view key) const
{
    std::optional<Head> head = readHead(path_);
    if (!head) return std::nullopt;
    return initext::lookup(head->text, section, key);
}

IniSections IniFile::readSections() const
{
    std::optional<Head> head = readHead(path_);
    return IniSections(head ? std::string_view(head->text) : std::string_view());
}

IniFile::Written IniFile::save(std::string_view section, std::string_view key, std::string_view value) const
{
    return save({{section, key, value}});
}

IniFile::Written IniFile::save(const std::vector<Change>& changes) const
{
    for (const Change& change : changes)
        if (change.value.find_first_of("\r\n") != std::string_view::npos ||
            change.key.find_first_of("\r\n=[") != std::string_view::npos)
            return {};
    const std::string file = linkTarget(path_);
    const FileLock lock(file + ".lock", lockPatience);
    if (!lock.locked()) {
        if (lock.openError() != 0) return notSaved(file, reasonOf(lock.openError()));
        return notSaved(file, "another program kept its lock file \"" + file + ".lock\"");
    }

    // Read under the lock: what another process saved before is kept.
    Snapshot old = settledContent(file);
    if (!old.readable) return notSaved(file, "it could not be read whole"); // never replace what we could not read
    std::string updated = old.head.text;
    for (const Change& change : changes)
        updated = initext::withValue(updated, change.section, change.key, change.value);

    const std::string temporary = file + ".new";
    int error = 0;
    bool written = writeNewFile(temporary, updated, error);
    std::error_code failure;
    if (written && old.exists) {
        // The settings keep the permissions the user gave them.
        const fs::perms mode = fs::status(file, failure).permissions();
        if (!failure) fs::permissions(temporary, mode, failure);
        failure.clear();
    }
    Written result{true, Notice::none, {}};
    if (written && old.head.cut) {
        // The part past the bound was never read: the whole file stays, under
        // a second name.
        const std::optional<std::string> aside = asideName(file);
        if (aside) fs::create_hard_link(file, *aside, failure);
        if (!aside || failure) {
            fs::remove(temporary, failure);
            return notSaved(file, "it is larger than 1 MB and could not be kept aside");
        }
        result = {
            true, Notice::keptAside,
            "The settings file \"" + file + "\" is larger than 1 MB; only its first 960 KB were read. Its whole " +
                "former content is kept as \"" + *aside + "\", and the part that was read is saved in its place."};
    }
    if (written) {
        fs::rename(temporary, file, failure);
        if (failure) error = failure.value();
    }
    if (!written || failure) {
        fs::remove(temporary, failure);
        return notSaved(file, reasonOf(error));
    }
    return result;
}
