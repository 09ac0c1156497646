// Loads one list as the player does and prints what came of it: the entries
// and the message boxes shown. bench/hostile/playlists.py times it.
#include <cstdio>
#include <string>

#include "Playlist.h"
#include "UserMessages.h"

namespace {

class CountingMessages : public UserMessages {
public:
    MessageAnswer ask(const std::string&, const std::string&, MessageIcon, MessageButtons) override
    {
        return MessageAnswer::ok;
    }
    void post(const std::string&, const std::string& text, MessageIcon) override
    {
        if (count_++ == 0) first_ = text;
    }

    int count() const { return count_; }
    const std::string& first() const { return first_; }

private:
    int count_ = 0;
    std::string first_;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: playlist_load_bench LIST\n");
        return 2;
    }
    CountingMessages messages;
    Playlist playlist(messages);
    playlist.addFileOrList(argv[1]);
    std::printf("entries %d messages %d first %.60s\n", playlist.count(), messages.count(), messages.first().c_str());
    return 0;
}
