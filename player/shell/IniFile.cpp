#include "IniFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

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

std::optional<std::string> readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return text;
}

} // namespace

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

std::optional<std::string> IniFile::read(std::string_view section, std::string_view key) const
{
    std::optional<std::string> text = readWholeFile(path_);
    if (!text) return std::nullopt;
    return initext::lookup(*text, section, key);
}

bool IniFile::write(std::string_view section, std::string_view key, std::string_view value) const
{
    if (value.find_first_of("\r\n") != std::string_view::npos || key.find_first_of("\r\n=[") != std::string_view::npos)
        return false;
    std::error_code error;
    std::string old;
    if (std::filesystem::exists(path_, error)) {
        std::optional<std::string> text = readWholeFile(path_);
        if (!text) return false; // never replace a file we could not read
        old = std::move(*text);
    }
    const std::string updated = initext::withValue(old, section, key, value);

    const std::string temporary = path_ + ".new";
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (!out) return false;
    bool written = std::fwrite(updated.data(), 1, updated.size(), out) == updated.size();
    written = std::fflush(out) == 0 && written;
#ifndef _WIN32
    written = ::fsync(fileno(out)) == 0 && written;
#endif
    written = std::fclose(out) == 0 && written;
    if (written && !old.empty()) {
        // The settings keep the permissions the user gave them.
        std::filesystem::perms mode = std::filesystem::status(path_, error).permissions();
        if (!error) std::filesystem::permissions(temporary, mode, error);
        error.clear();
    }
    if (written) std::filesystem::rename(temporary, path_, error);
    if (!written || error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}
