// Reads arbitrary bytes as a settings file: every look-up ends, and a value
// written into any text reads back as written while the other keys that could
// be read before still read the same; the text split once into sections
// answers every look-up as the lookup on the text does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto otherBefore = initext::lookup(text, "Position", "x");
    initext::lookup(text, "", "");
    initext::lookup(text, "sonorbox", "SKIN");
    const IniSections sections(text);
    for (const char* key : {"x", "skin", "About", ""})
        if (sections.value("Position", key) != initext::lookup(text, "Position", key) ||
            sections.value("Coordinates", key) != initext::lookup(text, "Coordinates", key))
            std::abort();

    const std::string updated = initext::withValue(text, "Sonorbox", "song", "/music/a b.mp3");
    if (initext::lookup(updated, "SONORBOX", "Song") != "/music/a b.mp3") std::abort();
    if (initext::lookup(updated, "Position", "x") != otherBefore) std::abort();
    return 0;
}
