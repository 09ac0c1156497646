// The message a second start sends: whole paths of any length, read only once
// all of it has come, and absurd lengths refused.
#include <gtest/gtest.h>

#include "HandOff.h"

TEST(HandOffMessage, APathComesBackWholeOnceAllOfItHasArrived)
{
    const std::string path = "/music/" + std::string(handoff::maxPathBytes - 20, 'x') + " é.m3u";
    const std::string message = handoff::encode(path) + "trailing";
    std::string read;
    std::size_t used = 0;
    for (std::size_t cut : {std::size_t(0), std::size_t(3), std::size_t(4), path.size() + 3})
        EXPECT_EQ(handoff::decode(std::string_view(message).substr(0, cut), read, used), handoff::Reading::incomplete);
    ASSERT_EQ(handoff::decode(message, read, used), handoff::Reading::complete);
    EXPECT_EQ(read, path);
    EXPECT_EQ(used, path.size() + 4);
}

TEST(HandOffMessage, LengthsBeyondTheLimitAreRefused)
{
    std::string read;
    std::size_t used = 0;
    EXPECT_EQ(handoff::decode(std::string("\xff\xff\xff\xff", 4), read, used), handoff::Reading::refused);
    EXPECT_EQ(handoff::decode(std::string("\x00\x10\x00\x01", 4), read, used), handoff::Reading::refused);
    EXPECT_EQ(handoff::decode(std::string("\x00\x00\x00\x00", 4), read, used), handoff::Reading::complete);
    EXPECT_EQ(read, "");
}

TEST(HandOffMessage, TheLimitIsThePlatformsPathLimit)
{
    EXPECT_EQ(handoff::maxPathBytes, std::uint32_t(PATH_MAX - 1));
    std::string read;
    std::size_t used = 0;
    EXPECT_EQ(handoff::decode(handoff::encode(std::string(PATH_MAX, 'x')), read, used), handoff::Reading::refused);
    EXPECT_EQ(handoff::decode(handoff::encode(std::string(PATH_MAX - 1, 'x')), read, used), handoff::Reading::complete);
}

TEST(HandOffMessage, ATooLongPathIsToldByItsStartInWholeCharacters)
{
    const std::string path = "/music/" + std::string(52, 'a') + "\xc3\xa9\n" + std::string(1 << 20, 'b');
    const std::string text = handoff::tooLongText(path);
    EXPECT_EQ(text, "the path is too long (" + std::to_string(path.size()) + " bytes, at most " +
                        std::to_string(PATH_MAX - 1) + "): \"/music/" + std::string(52, 'a') + "...\"");
    EXPECT_LT(text.size(), 160u);
    EXPECT_EQ(handoff::tooLongText(std::string("/a\tb")),
              "the path is too long (4 bytes, at most " + std::to_string(PATH_MAX - 1) + "): \"/a?b\"");
}
