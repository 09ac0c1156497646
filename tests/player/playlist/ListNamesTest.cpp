// Lines that name no file as written: names in another letter case, names in
// Windows-1252, and lists of the ".m3u8" kind.
#include <gtest/gtest.h>

#include "ListFixture.h"
#include "TextEncoding.h"

namespace {

using Entries = std::vector<std::string>;

struct ListNames : ListFixture {};

} // namespace

TEST_F(ListNames, ALineFindsItsFileWhateverTheCaseOfEachStep)
{
    folder.write("Music/Abba/Waterloo.mp3", "x");
    folder.write("Music/Abba/SOS.mp3", "x");
    const std::string music = folder.file("Music/Abba/");
    const std::string path =
        folder.write("l.m3u", "MUSIC\\ABBA\\WATERLOO.MP3\r\nmusic/abba/sos.MP3\n" + folder.file("MUSIC/aBBA/sos.mp3") +
                                  "\nMusic/Abba/Missing.mp3\nmusic/ABBA/missing.mp3\n");
    list.loadList(path);
    EXPECT_EQ(list.entries(), (Entries{music + "Waterloo.mp3", music + "SOS.mp3", music + "SOS.mp3",
                                       folder.file("Music/Abba/Missing.mp3"), folder.file("music/ABBA/missing.mp3")}));
    EXPECT_TRUE(shownTexts().empty());
}

TEST_F(ListNames, ANameWrittenExactlyIsTakenBeforeOneThatDiffersInCase)
{
    folder.write("a.mp3", "x");
    folder.write("A.mp3", "x");
    folder.write("B.mp3", "x");
    folder.write("b.MP3", "x");
    list.loadList(folder.write("l.m3u", "A.mp3\na.mp3\nb.mp3\n"));
    // Of two that differ in case only, the first by its bytes.
    EXPECT_EQ(list.entries(), (Entries{folder.file("A.mp3"), folder.file("a.mp3"), folder.file("B.mp3")}));
}

TEST_F(ListNames, ALineOfAWindowsListIsReadInItsCodePage)
{
    folder.write("Caf\xc3\xa9/\xc3\x89t\xc3\xa9 \xe2\x80\x94 Cr\xc3\xa8me.mp3", "x");
    folder.write("\xc5\x93uvre.mp3", "x");
    const std::string lines = "Caf\xe9\\\xc9t\xe9 \x97 Cr\xe8me.mp3\n" // as written in Windows-1252
                              "CAF\xc9\\\xc9T\xc9 \x97 CR\xc8ME.MP3\n" // and in capitals
                              "\x8cUVRE.mp3\n";                        // the OE ligature, in capitals
    list.loadList(folder.write("l.m3u", lines));
    const std::string song = folder.file("Caf\xc3\xa9/\xc3\x89t\xc3\xa9 \xe2\x80\x94 Cr\xc3\xa8me.mp3");
    EXPECT_EQ(list.entries(), (Entries{song, song, folder.file("\xc5\x93uvre.mp3")}));
}

TEST_F(ListNames, AUtf8ListIsAListAndItsLinesAreUtf8Only)
{
    folder.write("caf\xc3\xa9.mp3", "x");
    folder.write("Inner/a.mp3", "x");
    folder.write("Inner/Sub.M3U8", "a.mp3\n");
    // A byte order mark ahead of the first line; a line in Windows-1252,
    // which a ".m3u8" list cannot hold.
    const std::string path = folder.write("l.M3U8", "\xef\xbb\xbf"
                                                    "caf\xc3\xa9.mp3\ncaf\xe9.mp3\ninner/sub.m3u8\n");
    EXPECT_TRUE(isListPath(path));
    list.addFileOrList(path);
    EXPECT_EQ(list.entries(),
              (Entries{folder.file("caf\xc3\xa9.mp3"), folder.file("caf\xe9.mp3"), folder.file("Inner/a.mp3")}));
    EXPECT_TRUE(shownTexts().empty());
}

TEST_F(ListNames, AByteOrderMarkStartsAnyList)
{
    folder.write("a.mp3", "x");
    list.loadList(folder.write("l.m3u", "\xef\xbb\xbf#EXTM3U\na.mp3\n"));
    EXPECT_EQ(list.entries(), (Entries{folder.file("a.mp3")}));
}

TEST(TextEncoding, TellsUtf8FromOtherBytes)
{
    using textencoding::isUtf8;
    EXPECT_TRUE(isUtf8(""));
    EXPECT_TRUE(isUtf8("plain"));
    EXPECT_TRUE(isUtf8("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xb5"));
    EXPECT_FALSE(isUtf8("caf\xe9"));
    EXPECT_FALSE(isUtf8("\xc0\xaf"));         // overlong
    EXPECT_FALSE(isUtf8("\xed\xa0\x80"));     // a surrogate
    EXPECT_FALSE(isUtf8("\xf4\x90\x80\x80")); // past U+10FFFF
    EXPECT_FALSE(isUtf8("\xe2\x82"));         // cut short
}

TEST(TextEncoding, ReadsWindows1252AndFoldsItsLetters)
{
    using namespace textencoding;
    EXPECT_EQ(windows1252ToUtf8("Caf\xe9 \x80 \x81 \x9f"), "Caf\xc3\xa9 \xe2\x82\xac \xc2\x81 \xc5\xb8");
    EXPECT_EQ(foldCase("ABC \xc3\x89\xc3\x97\xc3\x9e \xc5\x92\xc5\xa0\xc5\xbd\xc5\xb8 \xe9"),
              "abc \xc3\xa9\xc3\x97\xc3\xbe \xc5\x93\xc5\xa1\xc5\xbe\xc3\xbf \xe9");
}
