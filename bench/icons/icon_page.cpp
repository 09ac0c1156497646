// What the icon browser does when a file is clicked: count the icons, then
// read the first page of eight at the standard size.
#include "Icons.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: icon_page FILE\n");
        return 2;
    }
    const icons::IconReader reader{std::filesystem::path(argv[1])};
    const int count = reader.count();
    int read = 0;
    for (int index = 0; index < 8; ++index) read += reader.icon(index).has_value();
    std::printf("%d icons, %d read\n", count, read);
    return read == (count < 8 ? count : 8) ? 0 : 1;
}
