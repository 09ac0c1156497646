// Loads one list as the player does and prints what came of it: the entries
// and the texts told (each a message box in the player).
// bench/hostile/playlists.py times it.
#include <cstdio>
#include <string>

#include "Playlist.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: playlist_load_bench LIST\n");
        return 2;
    }
    int told = 0;
    std::string first;
    Playlist playlist([&](const std::string& text) {
        if (told++ == 0) first = text;
    });
    playlist.addFileOrList(argv[1]);
    std::printf("entries %d messages %d first %.60s\n", playlist.count(), told, first.c_str());
    return 0;
}
