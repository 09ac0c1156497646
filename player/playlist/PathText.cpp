#include "PathText.h"

#include <algorithm>
#include <cctype>

namespace pathtext {

namespace {

bool isSeparator(char c)
{
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

bool sameNoCase(char a, char b)
{
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

std::string_view::size_type lastSeparator(std::string_view path)
{
    for (auto i = path.size(); i > 0; --i) {
        if (isSeparator(path[i - 1])) return i - 1;
    }
    return std::string_view::npos;
}

} // namespace

bool isAbsolute(std::string_view path)
{
#ifdef _WIN32
    if (path.size() >= 3 && path[1] == ':' && isSeparator(path[2])) return true;
    return path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]);
#else
    return !path.empty() && path[0] == '/';
#endif
}

std::string directoryOf(std::string_view path)
{
    auto at = lastSeparator(path);
    return at == std::string_view::npos ? std::string() : std::string(path.substr(0, at));
}

std::string fileNameOf(std::string_view path)
{
    auto at = lastSeparator(path);
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

std::string join(std::string_view folder, std::string_view name)
{
    std::string joined(folder);
    if (!joined.empty() && !isSeparator(joined.back())) joined += separator;
    joined += name;
    return joined;
}

std::string fromListText(std::string_view text)
{
    std::string path(text);
#ifndef _WIN32
    std::replace(path.begin(), path.end(), '\\', '/');
#endif
    return path;
}

std::string withoutExtension(std::string_view name)
{
    constexpr int longestExtension = 4;
    int characters = 0;
    for (auto i = name.size(); i > 0; --i) {
        const auto byte = static_cast<unsigned char>(name[i - 1]);
        if (byte == '.') return std::string(name.substr(0, characters > 0 && i > 1 ? i - 1 : name.size()));
        if (std::isspace(byte)) break;
        // A character of UTF-8 is counted at its first byte.
        if ((byte & 0xc0) != 0x80 && ++characters > longestExtension) break;
    }
    return std::string(name);
}

bool endsWithNoCase(std::string_view text, std::string_view ending)
{
    return text.size() >= ending.size() &&
           std::equal(ending.begin(), ending.end(), text.end() - ending.size(), sameNoCase);
}

bool containsNoCase(std::string_view text, std::string_view part)
{
    return std::search(text.begin(), text.end(), part.begin(), part.end(), sameNoCase) != text.end();
}

} // namespace pathtext
