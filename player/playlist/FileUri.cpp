#include "FileUri.h"

#include <algorithm>

#include "PathText.h"

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> percentDecoded(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '%') {
            out.push_back(text[at]);
            continue;
        }
        if (at + 2 >= text.size()) return std::nullopt;
        const int high = hexValue(text[at + 1]);
        const int low = hexValue(text[at + 2]);
        // A NUL would end the name for the file system, which would then open
        // a file other than the one the line spells.
        if (high < 0 || low < 0 || (high == 0 && low == 0)) return std::nullopt;
        out.push_back(static_cast<char>(high * 16 + low));
        at += 2;
    }
    return out;
}

bool equalsNoCase(std::string_view text, std::string_view other)
{
    return text.size() == other.size() && pathtext::endsWithNoCase(text, other);
}

bool startsWithNoCase(std::string_view text, std::string_view start)
{
    return text.size() >= start.size() && equalsNoCase(text.substr(0, start.size()), start);
}

// The path part and host of the URI after its "file:" scheme.
struct UriParts {
    std::string_view host;
    std::string_view path;
};

std::optional<UriParts> partsOf(std::string_view text)
{
    if (!startsWithNoCase(text, "file:")) return std::nullopt;
    std::string_view rest = text.substr(5);
    // The query and fragment name no part of a file.
    rest = rest.substr(0, rest.find_first_of("?#"));
    if (rest.substr(0, 2) != "//") {
        // The minimal form "file:/path" has no authority.
        if (rest.empty() || rest.front() != '/') return std::nullopt;
        return UriParts{{}, rest};
    }
    rest.remove_prefix(2);
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    return UriParts{rest.substr(0, slash), rest.substr(slash)};
}

} // namespace

std::optional<std::string> pathOfFileUri(std::string_view text)
{
    const std::optional<UriParts> parts = partsOf(text);
    if (!parts) return std::nullopt;
    std::optional<std::string> path = percentDecoded(parts->path);
    if (!path) return std::nullopt;
    const bool local = parts->host.empty() || equalsNoCase(parts->host, "localhost");
#ifdef _WIN32
    // "/C:/music" names drive C; a host names a server's share.
    if (local && path->size() >= 3 && (*path)[2] == ':')
        path->erase(0, 1);
    else if (!local)
        path = "//" + std::string(parts->host) + *path;
    std::replace(path->begin(), path->end(), '/', pathtext::separator);
    return path;
#else
    if (!local) return std::nullopt;
    return path;
#endif
}
