#include "HandOff.h"

namespace handoff {

std::string encode(std::string_view path)
{
    const auto length = static_cast<std::uint32_t>(path.size());
    std::string message;
    message.reserve(4 + path.size());
    for (int shift = 24; shift >= 0; shift -= 8) message.push_back(static_cast<char>((length >> shift) & 0xff));
    message.append(path);
    return message;
}

Reading decode(std::string_view received, std::string& path, std::size_t& used)
{
    if (received.size() < 4) return Reading::incomplete;
    std::uint32_t length = 0;
    for (int i = 0; i < 4; ++i) length = length << 8 | static_cast<unsigned char>(received[i]);
    if (length > maxPathBytes) return Reading::refused;
    if (received.size() - 4 < length) return Reading::incomplete;
    path.assign(received.substr(4, length));
    used = 4 + length;
    return Reading::complete;
}

} // namespace handoff

namespace handoff {

std::string tooLongText(std::string_view path)
{
    constexpr std::size_t shown = 60;
    std::size_t cut = path.size() > shown ? shown : path.size();
    // Not inside a UTF-8 sequence: back to the byte that starts it.
    while (cut > 0 && cut < path.size() && (static_cast<unsigned char>(path[cut]) & 0xc0) == 0x80) --cut;
    std::string start;
    for (const char c : path.substr(0, cut)) start += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c;
    return "the path is too long (" + std::to_string(path.size()) + " bytes, at most " + std::to_string(maxPathBytes) +
           "): \"" + start + (cut < path.size() ? "...\"" : "\"");
}

} // namespace handoff
