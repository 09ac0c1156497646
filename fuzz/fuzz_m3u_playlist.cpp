// Reads arbitrary bytes as an M3U list: lines of any length, any line ends,
// lists naming lists (this one included, since the input is saved under one
// name), addresses and Windows paths.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "Playlist.h"
#include "UserMessages.h"

namespace {

class SilentMessages : public UserMessages {
public:
    MessageAnswer ask(const std::string&, const std::string&, MessageIcon, MessageButtons) override
    {
        return MessageAnswer::ok;
    }
    void post(const std::string&, const std::string&, MessageIcon) override {}
};

const std::string& listPath()
{
    static const std::string path = "/tmp/fuzz_m3u_playlist-" + std::to_string(::getpid()) + ".m3u";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = std::fopen(listPath().c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    SilentMessages messages;
    Playlist playlist(messages);
    playlist.addFileOrList(listPath());
    playlist.moveTo(playlist.count());
    std::string current;
    playlist.getCurrent(current);
    return 0;
}
