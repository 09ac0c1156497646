#include "M3uWriter.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "ListLines.h"
#include "PathText.h"
#include "TextEncoding.h"

namespace fs = std::filesystem;

namespace m3uwriting {

namespace {

bool startsWithNoCase(const std::string& text, std::string_view start)
{
    return text.size() >= start.size() && pathtext::endsWithNoCase(text.substr(0, start.size()), start);
}

// The folder of path with its links resolved as far as it exists: a ".."
// written from it climbs the folders the file system climbs.
fs::path resolvedFolder(const fs::path& folder)
{
    std::error_code ignored;
    fs::path resolved = fs::weakly_canonical(folder, ignored);
    return resolved.empty() ? folder.lexically_normal() : resolved;
}

// A name the list's reading takes as written: not a comment, an address or a
// Windows path, on one line, in UTF-8.
bool readsAsWritten(const std::string& text)
{
    return text.find_first_of("\\\r\n") == std::string::npos && !pathtext::containsNoCase(text, "://") &&
           textencoding::isUtf8(text);
}

std::string fileUriOf(const std::string& absolutePath)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const char c : absolutePath) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~' ||
                           byte == '/';
        if (plain) {
            uri.push_back(c);
        } else {
            uri.push_back('%');
            uri.push_back(hex[byte >> 4]);
            uri.push_back(hex[byte & 15]);
        }
    }
    return uri;
}

// Text for the one line of an "#EXTINF" entry.
std::string oneLine(std::string text)
{
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

std::string extinfLine(const Entry& entry)
{
    if (entry.seconds < 0 && entry.title.empty()) return std::string();
    std::string shown =
        entry.artist.empty() || entry.title.empty() ? entry.artist + entry.title : entry.artist + " - " + entry.title;
    return "#EXTINF:" + std::to_string(entry.seconds < 0 ? -1 : entry.seconds) + "," + oneLine(std::move(shown)) + "\n";
}

} // namespace

std::string lineFor(const std::string& path, const std::string& listFolder)
{
    // An address (no local path) stands as it is.
    if (!pathtext::isAbsolute(path) && pathtext::containsNoCase(path, "://")) return path;
    const fs::path song = fs::absolute(fs::path(path));
    const fs::path absolute = resolvedFolder(song.parent_path()) / song.filename();
    const fs::path relative = absolute.lexically_relative(resolvedFolder(fs::absolute(fs::path(listFolder))));
    std::string line = relative.empty() ? absolute.string() : relative.string();
    if (!readsAsWritten(line)) return fileUriOf(absolute.string());
    // A relative name that starts as a comment or a "file:" URI would be read as one.
    if (line.front() == '#' || startsWithNoCase(line, "file:")) line = "./" + line;
    if (line.size() > ListLines::maxLineLength) return absolute.string();
    return line;
}

std::string listText(const std::string& listPath, const std::vector<Entry>& entries)
{
    const std::string folder = pathtext::directoryOf(fs::absolute(fs::path(listPath)).string());
    std::string text = "#EXTM3U\n";
    for (const Entry& entry : entries) {
        text += extinfLine(entry);
        text += lineFor(entry.path, folder.empty() ? std::string(1, pathtext::separator) : folder);
        text += '\n';
    }
    return text;
}

Written writeList(const std::string& listPath, const std::vector<Entry>& entries)
{
    // A list that is a link is written at its target, keeping the link.
    std::error_code error;
    fs::path target(listPath);
    if (fs::is_symlink(fs::symlink_status(target, error))) {
        target = fs::weakly_canonical(target, error);
        if (error) return Written{false, "Could not save playlist: " + listPath + " (" + error.message() + ")"};
    }

    const std::string text = listText(target.string(), entries);
    std::random_device random;
    const fs::path temporary = target.string() + ".saving-" + std::to_string(random());
    auto failed = [&](const std::string& why) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return Written{false, "Could not save playlist: " + listPath + " (" + why + ")"};
    };
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return failed(std::strerror(errno));
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) return failed("the file could not be written whole");
    }
    // A list written before keeps who may read it.
    std::error_code unknown;
    const fs::file_status before = fs::status(target, unknown);
    if (fs::is_regular_file(before)) fs::permissions(temporary, before.permissions(), unknown);
    fs::rename(temporary, target, error);
    if (error) return failed(error.message());
    return Written{true, std::string()};
}

} // namespace m3uwriting
