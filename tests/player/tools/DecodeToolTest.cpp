// sonorbox-decode as a user runs it: options, outputs, messages, exit codes.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ApeTag.h"
#include "FrameDamage.h"
#include "WavFile.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class DecodeTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("decode-tool-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Past timeoutSeconds the run is ended and counts as failed (status 124).
    ToolRun run(const std::string& arguments, int timeoutSeconds = 120)
    {
        std::string command = "timeout " + std::to_string(timeoutSeconds) + " '" + DECODE_TOOL + "' " + arguments +
                              " >'" + (dir_ / "stdout").string() + "' 2>'" + (dir_ / "stderr").string() + "'";
        int raw = std::system(command.c_str());
        return ToolRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(dir_ / "stdout"), slurp(dir_ / "stderr")};
    }

    static std::string fixture(const char* name) { return std::string("'") + TEST_DATA_DIR + "/mp3/" + name + "'"; }
    std::string out(const char* name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

std::uint32_t le32(const std::string& bytes, std::size_t at)
{
    return std::uint32_t(std::uint8_t(bytes[at])) | std::uint32_t(std::uint8_t(bytes[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(bytes[at + 2])) << 16 | std::uint32_t(std::uint8_t(bytes[at + 3])) << 24;
}
std::uint16_t le16(const std::string& bytes, std::size_t at)
{
    return std::uint16_t(std::uint8_t(bytes[at]) | std::uint8_t(bytes[at + 1]) << 8);
}

TEST_F(DecodeTool, UsageErrorsExitWithTwo)
{
    EXPECT_EQ(run("").status, 2);
    ToolRun unknown = run("--loud " + fixture("joint-128.mp3"));
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("unknown option --loud"), std::string::npos);
    EXPECT_EQ(run(fixture("joint-128.mp3") + " a.raw b.raw").status, 2);
    ToolRun help = run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: sonorbox-decode"), std::string::npos);
}

TEST_F(DecodeTool, UnreadableAndUndecodableFilesNameTheFileAndTheReason)
{
    ToolRun missing = run("'" + out("no-such.mp3") + "'");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no-such.mp3: cannot open"), std::string::npos) << missing.err;

    ToolRun mpeg2 = run(fixture("mpeg2-64.mp3") + " '" + out("x.raw") + "'");
    EXPECT_EQ(mpeg2.status, 1);
    EXPECT_NE(mpeg2.err.find("mpeg2-64.mp3: MPEG-2 Layer III is not supported"), std::string::npos) << mpeg2.err;
    EXPECT_FALSE(fs::exists(out("x.raw")));

    std::ofstream(out("text.mp3")) << "This is not audio at all.\n";
    ToolRun text = run("'" + out("text.mp3") + "'");
    EXPECT_EQ(text.status, 1);
    EXPECT_NE(text.err.find("text.mp3: Not a valid MP3 file"), std::string::npos) << text.err;

    // Its samples hold many words that look like headers of some MPEG
    // format, but no frame that another follows.
    const std::string wav = streamtest::wavFile(12000);
    std::ofstream(out("sound.wav"), std::ios::binary) << wav;
    ToolRun sound = run("'" + out("sound.wav") + "'");
    EXPECT_EQ(sound.status, 1);
    EXPECT_NE(sound.err.find("sound.wav: Not a valid MP3 file"), std::string::npos) << sound.err;

    // Enough junk that the search gives up, as the player does.
    std::ofstream(out("junk.mp3"), std::ios::binary) << std::string(40000, '\x01');
    ToolRun junk = run("'" + out("junk.mp3") + "'");
    EXPECT_EQ(junk.status, 1);
    EXPECT_NE(junk.err.find("junk.mp3: Not a valid MP3 file"), std::string::npos) << junk.err;
}

TEST_F(DecodeTool, SuccessNeedsAtLeastOneDecodedFrame)
{
    // Twenty mono frames whose side information asks for 288 big values in
    // no bits at all: headers without a frame of audio behind them.
    const unsigned char sideInfo[] = {0x00, 0x00, 0x00, 0x02, 0x41, 0xA4, 0x00, 0x84, 0x20,
                                      0x00, 0x00, 0x48, 0x34, 0x80, 0x10, 0x84, 0x00};
    std::string frame = "\xFF\xFB\x90\xC4";
    frame.append(reinterpret_cast<const char*>(sideInfo), sizeof sideInfo);
    frame.resize(417, '\0');
    std::ofstream undecodable(out("undecodable.mp3"), std::ios::binary);
    for (int f = 0; f < 20; ++f) undecodable << frame;
    undecodable.close();
    ToolRun headersOnly = run("'" + out("undecodable.mp3") + "' '" + out("u.raw") + "'");
    EXPECT_EQ(headersOnly.status, 1);
    EXPECT_NE(headersOnly.err.find("undecodable.mp3: no frame could be decoded"), std::string::npos) << headersOnly.err;

    std::ofstream(out("empty.mp3")).close();
    ToolRun empty = run("'" + out("empty.mp3") + "'");
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.err.find("empty.mp3: no MPEG audio frame found"), std::string::npos) << empty.err;
}

TEST_F(DecodeTool, FifosAndFoldersAreRefusedAtOnce)
{
    ASSERT_EQ(::mkfifo(out("fifo.mp3").c_str(), 0600), 0);
    // Without a writer, a FIFO opened for reading would wait for ever.
    ToolRun fifo = run("'" + out("fifo.mp3") + "'", 20);
    EXPECT_EQ(fifo.status, 1);
    EXPECT_NE(fifo.err.find("fifo.mp3: cannot open: not a regular file"), std::string::npos) << fifo.err;

    ToolRun folder = run("'" + dir_.string() + "'");
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.err.find(": cannot open: Is a directory"), std::string::npos) << folder.err;
}

TEST_F(DecodeTool, AnApeTagHoldingHeaderWordsEndsTheSongCleanly)
{
    std::string song = slurp(std::string(TEST_DATA_DIR) + "/mp3/joint-128.mp3");
    std::ofstream(out("tagged.mp3"), std::ios::binary) << song << tagbytes::apeTag(tagbytes::corruptFrameItem(), true);
    ToolRun tagged = run("'" + out("tagged.mp3") + "' '" + out("tagged.raw") + "'");
    EXPECT_EQ(tagged.status, 0) << tagged.err;
    ASSERT_EQ(run(fixture("joint-128.mp3") + " '" + out("plain.raw") + "'").status, 0);
    EXPECT_EQ(slurp(out("tagged.raw")), slurp(out("plain.raw")));
}

std::vector<std::uint8_t> bytesOf(const std::string& text)
{
    return {text.begin(), text.end()};
}
std::string textOf(const std::vector<std::uint8_t>& bytes)
{
    return {bytes.begin(), bytes.end()};
}

TEST_F(DecodeTool, DamagedFramesPlayAsSilenceAndTheReportSaysHowMuch)
{
    const std::vector<std::uint8_t> whole = bytesOf(slurp(std::string(TEST_DATA_DIR) + "/mp3/joint-128.mp3"));
    const std::vector<std::size_t> frames = streamtest::frameOffsets(whole);
    ASSERT_EQ(run(fixture("joint-128.mp3") + " '" + out("whole.raw") + "'").status, 0);
    const std::size_t wholeSize = slurp(out("whole.raw")).size();

    std::vector<std::uint8_t> song = whole;
    streamtest::damageSideInformation(song, frames[20]);
    std::ofstream(out("damaged.mp3"), std::ios::binary) << textOf(song);
    ToolRun damaged = run("'" + out("damaged.mp3") + "' '" + out("damaged.raw") + "'");
    EXPECT_EQ(damaged.status, 0);
    EXPECT_NE(damaged.err.find("damaged.mp3: 1 damaged frame, 1152 samples played as silence"), std::string::npos)
        << damaged.err;
    EXPECT_EQ(slurp(out("damaged.raw")).size(), wholeSize);

    streamtest::damageSideInformation(song, frames[21]);
    std::ofstream(out("twice.mp3"), std::ios::binary) << textOf(song);
    ToolRun twice = run("'" + out("twice.mp3") + "'");
    EXPECT_EQ(twice.status, 0);
    EXPECT_NE(twice.err.find("twice.mp3: 2 damaged frames, 2304 samples played as silence"), std::string::npos)
        << twice.err;

    // Huffman data run past granule 1 of one frame and granule 0 of another.
    song = whole;
    streamtest::damageHuffmanData(song, frames[20], 1);
    streamtest::damageHuffmanData(song, frames[30], 0);
    std::ofstream(out("huffman.mp3"), std::ios::binary) << textOf(song);
    ToolRun huffman = run("'" + out("huffman.mp3") + "' '" + out("huffman.raw") + "'");
    EXPECT_EQ(huffman.status, 0);
    EXPECT_NE(huffman.err.find("huffman.mp3: 2 damaged frames, 1728 samples played as silence"), std::string::npos)
        << huffman.err;
    EXPECT_EQ(slurp(out("huffman.raw")).size(), wholeSize);
}

TEST_F(DecodeTool, SyncLikeJunkAfterTheAudioAddsNothing)
{
    std::ofstream(out("junk-after.mp3"), std::ios::binary)
        << slurp(std::string(TEST_DATA_DIR) + "/mp3/joint-128.mp3") << textOf(streamtest::headerLikeJunk(40000, 300));
    ToolRun withJunk = run("'" + out("junk-after.mp3") + "' '" + out("junk.raw") + "'");
    EXPECT_EQ(withJunk.status, 0) << withJunk.err;
    EXPECT_EQ(withJunk.err, "");
    ASSERT_EQ(run(fixture("joint-128.mp3") + " '" + out("plain.raw") + "'").status, 0);
    EXPECT_EQ(slurp(out("junk.raw")), slurp(out("plain.raw")));
}

TEST_F(DecodeTool, WavAndRawOutputsCarryTheSameSamples)
{
    ASSERT_EQ(run(fixture("joint-128.mp3") + " '" + out("song.wav") + "'").status, 0);
    ASSERT_EQ(run(fixture("joint-128.mp3") + " '" + out("song.raw") + "'").status, 0);
    ToolRun toStdout = run(fixture("joint-128.mp3") + " -");
    ASSERT_EQ(toStdout.status, 0);

    std::string wav = slurp(out("song.wav"));
    std::string raw = slurp(out("song.raw"));
    // Gapless: exactly the second that went into the encoder.
    EXPECT_EQ(raw.size(), 44100u * 4);
    ASSERT_EQ(wav.size(), raw.size() + 44);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(le32(wav, 4), wav.size() - 8);
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(le16(wav, 20), 1); // integer PCM
    EXPECT_EQ(le16(wav, 22), 2); // channels
    EXPECT_EQ(le32(wav, 24), 44100u);
    EXPECT_EQ(le32(wav, 28), 44100u * 4);
    EXPECT_EQ(le16(wav, 34), 16);
    EXPECT_EQ(le32(wav, 40), raw.size());
    EXPECT_EQ(wav.substr(44), raw);
    EXPECT_EQ(toStdout.out, raw);
}

TEST_F(DecodeTool, OutputKeepsTheStreamsRateAndChannelCount)
{
    ASSERT_EQ(run(fixture("mono-64.mp3") + " '" + out("mono.wav") + "'").status, 0);
    ASSERT_EQ(run(fixture("mono-64.mp3") + " '" + out("mono.raw") + "'").status, 0);
    std::string wav = slurp(out("mono.wav"));
    EXPECT_EQ(le16(wav, 22), 1);
    EXPECT_EQ(le32(wav, 28), 44100u * 2);
    EXPECT_EQ(slurp(out("mono.raw")).size(), 44100u * 2);

    ASSERT_EQ(run(fixture("rate48k-128.mp3") + " '" + out("48.WAV") + "'").status, 0);
    EXPECT_EQ(le32(slurp(out("48.WAV")), 24), 48000u);
}

TEST_F(DecodeTool, EqualiserChangesTheOutput)
{
    ASSERT_EQ(run(fixture("stereo-128.mp3") + " '" + out("flat.raw") + "'").status, 0);
    ASSERT_EQ(run("--eq " + fixture("stereo-128.mp3") + " '" + out("eq.raw") + "'").status, 0);
    std::string flat = slurp(out("flat.raw"));
    std::string shaped = slurp(out("eq.raw"));
    EXPECT_EQ(flat.size(), shaped.size());
    EXPECT_NE(flat, shaped);
}

TEST_F(DecodeTool, TheEqualiserComesFromASettingsFileOrFromTheCommandLine)
{
    const std::string song = fixture("stereo-128.mp3");
    ASSERT_EQ(run("--eq " + song + " '" + out("builtin.raw") + "'").status, 0);
    ASSERT_EQ(run(song + " '" + out("pure.raw") + "'").status, 0);
    // A file without an equaliser section: the built-in curve; with Pure=1
    // the switch is off, as the player has it.
    {
        std::ofstream(out("none.ini")) << "[Sonorbox]\nskin=x\n";
        std::ofstream(out("pure.ini")) << "[Sonorbox]\nPure=1\n[Equaliser]\nGain1=-12\n";
        std::ofstream(out("tilt.ini")) << "[Equaliser]\nGain1=6\nGain2=6\nGain3=6\nGain4=6\nGain5=6\nGain6=6\n"
                                          "Gain7=-6\nGain8=-6\nGain9=-6\nGain10=-6\nGain11=-6\nGain12=-6\nPreamp=-8\n";
    }
    ASSERT_EQ(run("--eq='" + out("none.ini") + "' " + song + " '" + out("none.raw") + "'").status, 0);
    EXPECT_EQ(slurp(out("none.raw")), slurp(out("builtin.raw")));
    ASSERT_EQ(run("--eq='" + out("pure.ini") + "' " + song + " '" + out("off.raw") + "'").status, 0);
    EXPECT_EQ(slurp(out("off.raw")), slurp(out("pure.raw")));
    // The same curve from the file and from the command line.
    ASSERT_EQ(run("--eq='" + out("tilt.ini") + "' " + song + " '" + out("tilt-file.raw") + "'").status, 0);
    ASSERT_EQ(run("--eq=6,6,6,6,6,6,-6,-6,-6,-6,-6,-6,-8 " + song + " '" + out("tilt-list.raw") + "'").status, 0);
    EXPECT_EQ(slurp(out("tilt-file.raw")), slurp(out("tilt-list.raw")));
    EXPECT_NE(slurp(out("tilt-list.raw")), slurp(out("builtin.raw")));
    EXPECT_EQ(slurp(out("tilt-list.raw")).size(), slurp(out("pure.raw")).size());
}

TEST_F(DecodeTool, ABadCurveIsToldAndNothingIsDecoded)
{
    const std::string song = fixture("stereo-128.mp3");
    struct Bad {
        std::string arg;
        const char* says;
    };
    for (const Bad& bad : {Bad{"--eq=1,2,3", "twelve gains are needed"},
                           Bad{"--eq=0,0,0,0,0,0,0,0,0,0,0,20", "gain 12 (\"20\") is not a number of dB"},
                           Bad{"--eq=0,0,0,0,0,0,0,0,0,0,0,0,up", "the preamp (\"up\")"},
                           Bad{"--eq='" + out("missing.ini") + "'", "cannot read the settings file"},
                           Bad{"--eq=", "cannot read the settings file"}}) {
        const ToolRun result = run(bad.arg + " " + song + " '" + out("bad.raw") + "'");
        EXPECT_EQ(result.status, 2) << bad.arg;
        EXPECT_NE(result.err.find(bad.says), std::string::npos) << bad.arg << ": " << result.err;
        EXPECT_FALSE(fs::exists(out("bad.raw"))) << bad.arg;
    }
}

TEST_F(DecodeTool, KeepAllKeepsEveryDecodedSample)
{
    ASSERT_EQ(run("--keep-all " + fixture("joint-128.mp3") + " '" + out("all.raw") + "'").status, 0);
    ASSERT_EQ(run(fixture("joint-128.mp3") + " '" + out("trimmed.raw") + "'").status, 0);
    std::string all = slurp(out("all.raw"));
    std::string trimmed = slurp(out("trimmed.raw"));
    // 40 audio frames of 1152 sample frames; the Info frame is no audio.
    ASSERT_EQ(all.size(), 40u * 4608);
    // The trimmed output starts after the encoder's delay of 576 and the
    // filterbank's 529 samples.
    ASSERT_EQ(trimmed.size(), 44100u * 4);
    EXPECT_EQ(all.substr((576 + 529) * 4, trimmed.size()), trimmed);
}

TEST_F(DecodeTool, InfoReportsTheStreamAndItsLengthFromTheHeaderFrame)
{
    ToolRun info = run("--info " + fixture("crc-128.mp3"));
    ASSERT_EQ(info.status, 0);
    EXPECT_NE(info.out.find("Format:      MPEG-1 Layer III\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Bitrate:     128 kbit/s\n"), std::string::npos);
    EXPECT_NE(info.out.find("Sample rate: 44100 Hz\n"), std::string::npos);
    EXPECT_NE(info.out.find("Mode:        joint stereo"), std::string::npos);
    EXPECT_NE(info.out.find("CRC:         yes\n"), std::string::npos);
    EXPECT_NE(info.out.find("Header:      Info\n"), std::string::npos);
    EXPECT_NE(info.out.find("Gapless:     encoder delay 576, padding 1404 samples\n"), std::string::npos);
    EXPECT_NE(info.out.find("Frames:      40 (header frame)\n"), std::string::npos);
    EXPECT_NE(info.out.find("Samples:     44100\n"), std::string::npos);
    EXPECT_NE(info.out.find("Length:      1.0 s (header frame)\n"), std::string::npos);

    // With the PCM on standard output, the report moves to standard error.
    ToolRun piped = run("--info " + fixture("crc-128.mp3") + " -");
    EXPECT_EQ(piped.status, 0);
    EXPECT_NE(piped.err.find("Bitrate:     128 kbit/s"), std::string::npos);
    EXPECT_EQ(piped.out.size(), 44100u * 4);
}

TEST_F(DecodeTool, InfoGivesAVariableBitrateStreamsAverage)
{
    // The 79 audio frames of varied-v2.mp3 (1152 samples each) hold 25806
    // bytes: 100.04 kbit/s; its first audio frame is at 256.
    ToolRun info = run("--info " + fixture("varied-v2.mp3"));
    ASSERT_EQ(info.status, 0);
    EXPECT_NE(info.out.find("Bitrate:     100 kbit/s (average)\n"), std::string::npos) << info.out;
    ToolRun noTag = run("--info " + fixture("varied-v2-notag.mp3"));
    EXPECT_NE(noTag.out.find("Bitrate:     256 kbit/s\n"), std::string::npos) << noTag.out;
}

} // namespace
