#include "HelpSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

using help::findTopics;
using help::HelpSource;
using help::parseHelpSource;

TEST(HelpSource, ReadsTopicsWithTheirParagraphs)
{
    const auto source = parseHelpSource("# a comment\n"
                                        "\n"
                                        "@topic 10  The  title \r\n"
                                        "\n"
                                        "First line\n"
                                        "  continues here.\n"
                                        "\n\n\n"
                                        "Second paragraph.\n"
                                        "\n"
                                        "@topic 7 Next\n"
                                        "# comments inside a topic are not text\n"
                                        "Text\n");
    EXPECT_TRUE(source.error.empty()) << source.error;
    ASSERT_EQ(source.topics.size(), 2u);
    EXPECT_EQ(source.topics[0].number, 10);
    EXPECT_EQ(source.topics[0].title, "The  title");
    EXPECT_EQ(source.topics[0].text, "First line continues here.\n\nSecond paragraph.");
    EXPECT_EQ(source.topics[1].text, "Text");
    ASSERT_TRUE(source.topic(7));
    EXPECT_EQ(source.topic(7)->title, "Next");
    EXPECT_FALSE(source.topic(8));
}

TEST(HelpSource, StopsAtTheFirstFaultKeepingWhatCameBefore)
{
    auto source = parseHelpSource("@topic 1 One\ntext\n@topic x Two\nmore\n");
    EXPECT_EQ(source.error, "line 3: a topic needs a number from 0 to 32767");
    ASSERT_EQ(source.topics.size(), 1u);
    EXPECT_EQ(source.topics[0].text, "text");
    EXPECT_EQ(parseHelpSource("@topic 1 A\n@topic 1 B\n").error, "line 2: topic 1 is given twice");
    EXPECT_EQ(parseHelpSource("stray\n@topic 1 A\n").error, "line 1: text before the first topic");
    EXPECT_FALSE(parseHelpSource("@topic 32768 A\n").error.empty());
    EXPECT_FALSE(parseHelpSource("@topic -1 A\n").error.empty());
    EXPECT_FALSE(parseHelpSource("@topic 99999999999999999999 A\n").error.empty());
    EXPECT_TRUE(parseHelpSource("").topics.empty());
}

TEST(HelpSource, SearchMatchesEveryWordAsAPrefixRegardlessOfCase)
{
    const auto source = parseHelpSource("@topic 1 Saving icons\nWrites a Bitmap file.\n"
                                        "@topic 2 Splitter\nDrag the bar.\n"
                                        "@topic 3 Scroll bar\nMoves the page.\n");
    EXPECT_EQ(findTopics(source, "bit"), (std::vector<std::size_t>{0}));
    EXPECT_EQ(findTopics(source, "BAR"), (std::vector<std::size_t>{1, 2}));
    EXPECT_EQ(findTopics(source, "bar, drag"), (std::vector<std::size_t>{1}));
    EXPECT_EQ(findTopics(source, "itmap"), (std::vector<std::size_t>{})) << "words match from their start";
    EXPECT_EQ(findTopics(source, "  "), (std::vector<std::size_t>{0, 1, 2}));
}

HelpSource shippedHelp()
{
    std::ifstream file(SHIPPED_HELP, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return parseHelpSource(text.str());
}

bool searchFinds(const HelpSource& source, std::string_view query, std::string_view title)
{
    const auto found = findTopics(source, query);
    return std::any_of(found.begin(), found.end(),
                       [&](std::size_t index) { return source.topics[index].title == title; });
}

TEST(HelpSource, TheShippedHelpHasEveryControlTopic)
{
    const auto source = shippedHelp();
    ASSERT_FALSE(source.topics.empty()) << SHIPPED_HELP;
    EXPECT_TRUE(source.error.empty()) << source.error;
    for (const int number : {50, 60, 70, 80, 90, 100}) {
        ASSERT_TRUE(source.topic(number)) << number;
        EXPECT_FALSE(source.topic(number)->text.empty()) << number;
    }
}

TEST(HelpSource, TheShippedHelpSearchFindsWhatTheMenusAndSaveOffer)
{
    const auto source = shippedHelp();
    ASSERT_TRUE(source.error.empty()) << source.error;
    EXPECT_TRUE(searchFinds(source, "Copy", "Copying and dragging an icon")) << "Copy";
    EXPECT_TRUE(searchFinds(source, "Save All Icons", "Saving all icons of a file")) << "Save All Icons";
    EXPECT_TRUE(searchFinds(source, "PNG", "Saving an icon as a bitmap")) << "PNG";
    EXPECT_TRUE(searchFinds(source, "png", "Saving all icons of a file")) << "png";
    EXPECT_TRUE(searchFinds(source, "Open", "Opening a file or folder by its path")) << "Open";
    EXPECT_TRUE(searchFinds(source, "Shift+F10", "Using the keyboard and the wheel")) << "Shift+F10";
    EXPECT_TRUE(searchFinds(source, "glint-extract --all", "Starting Glint Gatherer")) << "glint-extract --all";
}

} // namespace
