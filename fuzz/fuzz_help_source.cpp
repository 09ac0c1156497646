// Feeds arbitrary text to the help source reader, then searches the topics it
// kept with a key taken from the same bytes.
#include "HelpSource.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const help::HelpSource source = help::parseHelpSource(text);
    help::findTopics(source, text.substr(0, 16));
    for (const help::HelpTopic& topic : source.topics) source.topic(topic.number);
    return 0;
}
