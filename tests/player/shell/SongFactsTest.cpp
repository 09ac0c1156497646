// What the playlist reads of a song: its tags, and its length from the
// header frame or, without one, from a count of its frames.
#include <gtest/gtest.h>

#include <fstream>

#include "Id3Tag.h"
#include "Mp3Decoder.h"
#include "ShellTestSupport.h"
#include "SongFacts.h"

namespace {

std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What the decoder guesses of a stream's length without reading it through.
int guessedSeconds(const std::string& path)
{
    mp3::Decoder decoder;
    decoder.openSong(path.c_str());
    mp3::FrameHeader header;
    decoder.nextFrame(header);
    return decoder.streamLength(header).wholeSeconds;
}

} // namespace

TEST(SongFacts, LengthsComeFromTheHeaderFrameElseFromCountedFrames)
{
    EXPECT_EQ(readSongFacts(testSong("varied-v2.mp3")).seconds, 2);
    // The same song of varying bitrate without a header frame: its first
    // frame's bitrate would make it shorter than it is.
    ASSERT_LT(guessedSeconds(testSong("varied-v2-notag.mp3")), 2);
    EXPECT_EQ(readSongFacts(testSong("varied-v2-notag.mp3")).seconds, 2);
    EXPECT_EQ(readSongFacts(testSong("varied-cbr-128-notag.mp3")).seconds, 2);
    // MPEG-2's frames hold half the samples; other rates count as theirs.
    EXPECT_EQ(readSongFacts(testSong("mpeg2-64.mp3")).seconds, 1);
    EXPECT_EQ(readSongFacts(testSong("rate32k-128.mp3")).seconds, 1);
}

TEST(SongFacts, TagsAreReadAndWhatIsNoSongHasNoLength)
{
    TempFolder folder;
    const std::string tagged = folder.write(
        "t.mp3", tagbytes::id3v2Tag(3, tagbytes::id3Frame(3, "TIT2", tagbytes::textData(0, "Blue Song")) +
                                           tagbytes::id3Frame(3, "TPE1", tagbytes::textData(0, "The Band"))) +
                     fileBytes(testSong("stereo-128.mp3")));
    const SongFacts facts = readSongFacts(tagged);
    EXPECT_EQ(facts.title, "Blue Song");
    EXPECT_EQ(facts.artist, "The Band");
    EXPECT_EQ(facts.seconds, 1);
    EXPECT_EQ(readSongFacts(folder.write("text.mp3", std::string(5000, 'x'))).seconds, -1);
    EXPECT_EQ(readSongFacts(folder.file("missing.mp3")).seconds, -1);
    const SongFacts empty = readSongFacts(folder.write("empty.mp3", ""));
    EXPECT_TRUE(empty.title.empty() && empty.artist.empty());
    EXPECT_EQ(empty.seconds, -1);
}

TEST(SongFacts, ACountIsGivenUpWhenAsked)
{
    // A long song of varying bitrate without a header frame: a short one
    // many times over.
    TempFolder folder;
    const std::string one = fileBytes(testSong("varied-v2-notag.mp3"));
    std::string many;
    for (int i = 0; i < 200; ++i) many += one;
    const std::string path = folder.write("long.mp3", many);
    EXPECT_EQ(readSongFacts(path).seconds, 412);
    int asked = 0;
    EXPECT_EQ(readSongFacts(path, [&asked] { return ++asked > 2; }).seconds, -1);
    EXPECT_EQ(asked, 3);
}
