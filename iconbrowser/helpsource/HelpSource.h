#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace help {

// One page of help: its topic number (what a control carries for What's This),
// its title and its text, paragraphs separated by one empty line.
struct HelpTopic {
    int number = 0;
    std::string title;
    std::string text;
};

struct HelpSource {
    std::vector<HelpTopic> topics; // in the order of the source: the contents
    std::string error;             // empty when the whole source was read

    const HelpTopic* topic(int number) const;
};

// Reads a help source. Lines starting with '#' are comments; a line
// "@topic NUMBER TITLE" starts a topic (NUMBER from 0 to 32767, each once);
// the lines up to the next topic are its text. The first fault stops the
// reading: the topics before it are kept and `error` names the line.
HelpSource parseHelpSource(std::string_view source);

// The topics whose title or text holds, for every word of `query`, a word that
// starts with it, regardless of case: a search as the user types. An empty
// query finds every topic. Indices into `source.topics`, in source order.
std::vector<std::size_t> findTopics(const HelpSource& source, std::string_view query);

} // namespace help
