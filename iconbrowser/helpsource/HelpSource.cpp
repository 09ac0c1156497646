#include "HelpSource.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace help {

namespace {

constexpr std::string_view topicMark = "@topic";
constexpr int largestTopicNumber = 32767;

std::string_view trimmed(std::string_view text)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool isWordCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

std::vector<std::string> lowerCaseWords(std::string_view text)
{
    std::vector<std::string> words;
    std::string word;
    for (const char c : text) {
        if (isWordCharacter(c)) {
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

// Drops the blank lines that end a topic's text.
void finishTopic(HelpTopic& topic)
{
    while (!topic.text.empty() && topic.text.back() == '\n') topic.text.pop_back();
}

} // namespace

const HelpTopic* HelpSource::topic(int number) const
{
    const auto found =
        std::find_if(topics.begin(), topics.end(), [number](const HelpTopic& t) { return t.number == number; });
    return found == topics.end() ? nullptr : &*found;
}

HelpSource parseHelpSource(std::string_view source)
{
    HelpSource result;
    int lineNumber = 0;
    const auto fail = [&](const std::string& why) {
        result.error = "line " + std::to_string(lineNumber) + ": " + why;
        if (!result.topics.empty()) finishTopic(result.topics.back());
    };
    while (!source.empty()) {
        const std::size_t end = source.find('\n');
        const std::string_view line = trimmed(source.substr(0, end));
        source.remove_prefix(end == std::string_view::npos ? source.size() : end + 1);
        ++lineNumber;
        if (line.starts_with('#')) continue;
        if (line.starts_with(topicMark)) {
            std::string_view rest = trimmed(line.substr(topicMark.size()));
            int number = -1;
            const auto parsed = std::from_chars(rest.data(), rest.data() + rest.size(), number);
            if (parsed.ec != std::errc{} || number < 0 || number > largestTopicNumber) {
                fail("a topic needs a number from 0 to 32767");
                return result;
            }
            if (result.topic(number)) {
                fail("topic " + std::to_string(number) + " is given twice");
                return result;
            }
            if (!result.topics.empty()) finishTopic(result.topics.back());
            rest.remove_prefix(static_cast<std::size_t>(parsed.ptr - rest.data()));
            result.topics.push_back({number, std::string(trimmed(rest)), {}});
            continue;
        }
        if (result.topics.empty()) {
            if (line.empty()) continue;
            fail("text before the first topic");
            return result;
        }
        std::string& text = result.topics.back().text;
        if (line.empty() && text.empty()) continue; // blank lines after the title
        if (!text.empty() && text.back() != '\n' && !line.empty()) text += ' ';
        text += line;
        if (line.empty()) text += "\n\n";
    }
    if (!result.topics.empty()) finishTopic(result.topics.back());
    // Paragraph breaks collapse to one blank line however many the source has.
    for (HelpTopic& topic : result.topics) {
        std::string collapsed;
        for (const char c : topic.text) {
            if (c == '\n' && collapsed.size() >= 2 && collapsed.ends_with("\n\n")) continue;
            collapsed += c;
        }
        topic.text = std::move(collapsed);
    }
    return result;
}

std::vector<std::size_t> findTopics(const HelpSource& source, std::string_view query)
{
    const std::vector<std::string> wanted = lowerCaseWords(query);
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < source.topics.size(); ++i) {
        const HelpTopic& topic = source.topics[i];
        const std::vector<std::string> words = lowerCaseWords(topic.title + ' ' + topic.text);
        const bool all = std::all_of(wanted.begin(), wanted.end(), [&](const std::string& w) {
            return std::any_of(words.begin(), words.end(),
                               [&](const std::string& word) { return word.starts_with(w); });
        });
        if (all) found.push_back(i);
    }
    return found;
}

} // namespace help
