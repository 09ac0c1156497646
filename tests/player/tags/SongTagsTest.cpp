// The song tag reader on tags built here: each ID3v2 version and text
// encoding, unsynchronisation, extended headers, ID3v1, and damaged or
// oversized tags.
#include <gtest/gtest.h>

#include "Id3Tag.h"
#include "SongTags.h"
#include "TempFolder.h"

using namespace tagbytes;
using songtags::SongTags;

namespace {

std::span<const std::uint8_t> bytesOf(const std::string& text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The tags of a file made of these bytes.
SongTags tagsOfFile(const std::string& file)
{
    const auto bytes = bytesOf(file);
    return songtags::tagsOf(bytes, bytes.last(std::min<std::size_t>(bytes.size(), 128)));
}

// A frame of version's title, artist and album identifiers.
std::string titleFrame(int version, const std::string& data, std::uint8_t format = 0)
{
    return id3Frame(version, version == 2 ? "TT2" : "TIT2", data, format);
}

std::string threeFrames(int version)
{
    const bool old = version == 2;
    return titleFrame(version, textData(0, "Song")) + id3Frame(version, old ? "TP1" : "TPE1", textData(3, "Band")) +
           id3Frame(version, old ? "TAL" : "TALB", textData(0, "Record"));
}

const std::string audio = std::string("\xFF\xFB\x90\x64", 4) + std::string(400, '\0');

} // namespace

TEST(SongTags, EachVersionGivesTitleArtistAndAlbumBeforeThePadding)
{
    for (int version : {2, 3, 4}) {
        SCOPED_TRACE(version);
        const std::string padding(64, '\0');
        const SongTags tags = tagsOfFile(id3v2Tag(version, threeFrames(version) + padding) + audio);
        EXPECT_EQ(tags.title, "Song");
        EXPECT_EQ(tags.artist, "Band");
        EXPECT_EQ(tags.album, "Record");
    }
    // A frame after the padding is not part of the tag.
    const SongTags afterPadding = tagsOfFile(id3v2Tag(3, std::string(20, '\0') + titleFrame(3, textData(0, "Hidden"))));
    EXPECT_TRUE(afterPadding.empty());
    // Other frames are passed over; the first of two titles counts.
    const std::string other = id3Frame(4, "TXXX", textData(0, "Label"));
    const SongTags others =
        tagsOfFile(id3v2Tag(4, other + titleFrame(4, textData(0, "One")) + titleFrame(4, textData(0, "Two"))));
    EXPECT_EQ(others.title, "One");
}

TEST(SongTags, EveryTextEncodingBecomesUtf8)
{
    struct Case {
        std::string data;
        std::string expected;
    };
    const std::vector<char16_t> cafe = {u'C', u'a', u'f', 0x00E9};
    const std::vector<Case> cases = {
        {textData(0, "Caf\xE9"), "Caf\xC3\xA9"},                          // ISO-8859-1
        {textData(1, "\xFF\xFE" + utf16(cafe, false)), "Caf\xC3\xA9"},    // UTF-16, little-endian mark
        {textData(1, "\xFE\xFF" + utf16(cafe, true)), "Caf\xC3\xA9"},     // UTF-16, big-endian mark
        {textData(1, utf16(cafe, true)), "Caf\xC3\xA9"},                  // UTF-16 without a mark
        {textData(2, utf16(cafe, true)), "Caf\xC3\xA9"},                  // UTF-16BE
        {textData(3, "Caf\xC3\xA9"), "Caf\xC3\xA9"},                      // UTF-8
        {textData(2, utf16({0xD83C, 0xDFB5}, true)), "\xF0\x9F\x8E\xB5"}, // a surrogate pair
        {textData(2, utf16({u'a', 0xDC00, u'b'}, true)), "a\xEF\xBF\xBD"
                                                         "b"},   // an unpaired surrogate
        {textData(2, utf16({u'a', u'b'}, true) + "\x00"), "ab"}, // an odd byte left over
        {textData(3, "a\xC3(\xED\xA0\x80z"), "a\xEF\xBF\xBD(\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDz"}, // bad UTF-8
        {textData(3, std::string("First\0Second", 12)), "First"}, // 2.4's list of values
        {textData(1, "\xFF\xFE" + utf16({u'A', 0, u'B'}, false)), "A"},
        {textData(7, "Unknown"), ""},
        {std::string(), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(tagsOfFile(id3v2Tag(4, titleFrame(4, c.data))).title, c.expected);
    }
}

TEST(SongTags, UnsynchronisationIsUndoneForTheWholeTagOrEachFrame)
{
    // A little-endian mark is 0xFF 0xFE: unsynchronised, a zero follows 0xFF.
    const std::string title = textData(1, "\xFF\xFE" + utf16({0x00FF, 0x00FF, u'x'}, false));
    const std::string expected = "\xC3\xBF\xC3\xBFx";
    for (int version : {2, 3}) {
        SCOPED_TRACE(version);
        const std::string frames = titleFrame(version, title);
        ASSERT_NE(unsynchronised(frames), frames);
        EXPECT_EQ(tagsOfFile(id3v2Tag(version, unsynchronised(frames), 0x80)).title, expected);
    }
    // 2.4: each frame says so itself (its size counts the stored bytes), or
    // the header says so for all of them.
    const std::string stored = unsynchronised(title);
    EXPECT_EQ(tagsOfFile(id3v2Tag(4, titleFrame(4, stored, 0x02))).title, expected);
    EXPECT_EQ(tagsOfFile(id3v2Tag(4, titleFrame(4, stored), 0x80)).title, expected);
    // Not flagged, the stored bytes are taken as they are.
    EXPECT_NE(tagsOfFile(id3v2Tag(4, titleFrame(4, stored))).title, expected);
}

TEST(SongTags, ExtendedHeadersAndFrameAdditionsArePassedOver)
{
    // 2.3: the size counts the bytes after it (6: flags and padding size).
    const std::string extended3 = bigEndian(6, 4) + std::string(6, '\0');
    EXPECT_EQ(tagsOfFile(id3v2Tag(3, extended3 + threeFrames(3), 0x40)).album, "Record");
    // 2.4: a syncsafe size of the whole extended header.
    const std::string extended4 = syncsafe(6) + "\x01" + std::string(1, '\0');
    EXPECT_EQ(tagsOfFile(id3v2Tag(4, extended4 + threeFrames(4), 0x40)).album, "Record");
    // An extended header larger than the tag leaves nothing to read.
    EXPECT_TRUE(tagsOfFile(id3v2Tag(3, bigEndian(5000, 4) + threeFrames(3), 0x40)).empty());
    // 2.3's group byte; 2.4's group byte and data length.
    EXPECT_EQ(tagsOfFile(id3v2Tag(3, titleFrame(3, "\x07" + textData(0, "Grouped"), 0x20))).title, "Grouped");
    EXPECT_EQ(tagsOfFile(id3v2Tag(4, titleFrame(4, "\x07" + syncsafe(8) + textData(0, "Lengthy"), 0x41))).title,
              "Lengthy");
    // Compressed or encrypted frames are not read; 2.2's compressed tags neither.
    EXPECT_TRUE(tagsOfFile(id3v2Tag(3, titleFrame(3, textData(0, "Packed"), 0x80))).empty());
    EXPECT_TRUE(tagsOfFile(id3v2Tag(4, titleFrame(4, textData(0, "Secret"), 0x04))).empty());
    EXPECT_TRUE(tagsOfFile(id3v2Tag(2, threeFrames(2), 0x40)).empty());
}

TEST(SongTags, Id3v1IsWindows1252TrimmedAndFillsWhatId3v2LeftEmpty)
{
    const std::string v1 = id3v1Tag("  Caf\xE9 \x80 ", "Old Band", std::string(30, 'A'));
    SongTags tags = tagsOfFile(audio + v1);
    EXPECT_EQ(tags.title, "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(tags.artist, "Old Band");
    EXPECT_EQ(tags.album, std::string(30, 'A'));

    tags = tagsOfFile(id3v2Tag(3, titleFrame(3, textData(0, "New Title"))) + audio + v1);
    EXPECT_EQ(tags.title, "New Title");
    EXPECT_EQ(tags.artist, "Old Band");

    // Too short for a tag, or not one.
    EXPECT_TRUE(tagsOfFile(v1.substr(1)).empty());
    EXPECT_TRUE(tagsOfFile("TAX" + v1.substr(3)).empty());
}

TEST(SongTags, DamagedTagsGiveWhatIsWholeAndTextsStayBounded)
{
    const std::string frames = threeFrames(3);
    const std::string whole = id3v2Tag(3, frames);
    // Cut inside the last frame: the frames before it are read.
    SongTags cut = tagsOfFile(whole.substr(0, whole.size() - 2));
    EXPECT_EQ(cut.title, "Song");
    EXPECT_EQ(cut.artist, "Band");
    EXPECT_TRUE(cut.album.empty());
    // A frame claiming more than the tag holds ends the reading.
    EXPECT_TRUE(tagsOfFile(id3v2Tag(3, "TIT2" + bigEndian(0xFFFFFFFF, 4) + std::string(2, '\0') + "x")).empty());
    EXPECT_TRUE(tagsOfFile(id3v2Tag(4, "TIT2" + std::string(4, '\x7F') + std::string(2, '\0') + "x")).empty());
    // Headers that are not ID3v2's, or of an unknown version.
    for (std::string header : {std::string("ID3"), std::string("ID3\x05\0\0\0\0\0\x20", 10),
                               std::string("ID3\x03\0\0\x80\0\0\x20", 10), std::string("ID3\xFF\0\0\0\0\0\x20", 10)})
        EXPECT_TRUE(tagsOfFile(header + frames).empty());
    EXPECT_TRUE(tagsOfFile(std::string()).empty());

    // A long text is cut at the limit, never inside a character.
    const std::string longText = textData(
        3, std::string(1, 'a') + [] {
            std::string s;
            for (int i = 0; i < 2000; ++i) s += "\xC3\xA9";
            return s;
        }());
    const std::string title = tagsOfFile(id3v2Tag(4, titleFrame(4, longText))).title;
    EXPECT_EQ(title.size(), songtags::maxTextBytes - 1);
    EXPECT_EQ(title.substr(title.size() - 2), "\xC3\xA9");
}

TEST(SongTags, AFileIsReadOnlyAsFarAsTheLimit)
{
    TempFolder folder;
    auto write = [&](const std::string& name, const std::string& bytes) { return folder.write(name, bytes); };
    // A picture larger than the limit: the title before it is read, the
    // album after it is not; ID3v1 still fills the artist.
    const std::string picture = id3Frame(3, "APIC", std::string(songtags::maxTagBytes, '\x55'));
    const std::string big = write("big.mp3", id3v2Tag(3, titleFrame(3, textData(0, "Before")) + picture +
                                                             id3Frame(3, "TALB", textData(0, "After"))) +
                                                 audio + id3v1Tag("", "Tail Band", ""));
    const SongTags tags = songtags::readSongTags(big);
    EXPECT_EQ(tags.title, "Before");
    EXPECT_EQ(tags.artist, "Tail Band");
    EXPECT_TRUE(tags.album.empty());

    EXPECT_TRUE(songtags::readSongTags(write("short.mp3", "ID3")).empty());
    EXPECT_TRUE(songtags::readSongTags(write("empty.mp3", "")).empty());
    EXPECT_TRUE(songtags::readSongTags(folder.file("missing.mp3")).empty());
    EXPECT_TRUE(songtags::readSongTags(folder.path()).empty());
}
