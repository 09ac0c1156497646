// sonorbox-decode: the player's MPEG-1 Layer III decoder on the command line.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "Mp3Decoder.h"
#include "PcmFileWriter.h"
#include "Settings.h"
#include "StreamCheck.h"

namespace {

const char* const usageText = "usage: sonorbox-decode [--eq[=CURVE]] [--keep-all] [--info] INPUT [OUTPUT]\n"
                              "  OUTPUT ending in .wav gets a WAV file, any other name raw signed 16-bit\n"
                              "  little-endian PCM, - standard output. Without OUTPUT the stream is decoded\n"
                              "  and checked, and nothing is written.\n"
                              "  --eq        apply the player's built-in equaliser curve\n"
                              "  --eq=FILE   apply the equaliser as the player's settings file has it\n"
                              "              (Sonorbox.ini: its curve, preamp and switch)\n"
                              "  --eq=G1,...,G12[,PREAMP]\n"
                              "              apply twelve gains in dB (-12 to 12) at the break lines,\n"
                              "              lowest first, and a preamp in dB (-24 to 12; auto or left\n"
                              "              out: the headroom the curve needs)\n"
                              "  --keep-all  keep every decoded sample: the encoder's delay and padding,\n"
                              "              which a LAME tag names, are otherwise trimmed\n"
                              "  --info      print the stream's properties and its length\n";

constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

struct Options {
    // Off unless asked for.
    mp3::EqualiserSetting equaliser = {.on = false, .gainsDb = mp3::builtInEqualiser().gainsDb, .preampDb = {}};
    bool keepAll = false;
    bool info = false;
    std::string input;
    std::string output;
};

// A curve as --eq= names it: a list of gains when it holds a comma, else a
// settings file, which must be there to be read.
bool readCurve(const std::string& curve, mp3::EqualiserSetting& setting)
{
    if (curve.find(',') != std::string::npos) {
        std::string why;
        const std::optional<mp3::EqualiserSetting> listed = equalisersettings::fromList(curve, why);
        if (!listed) {
            std::fprintf(stderr, "sonorbox-decode: --eq: %s\n", why.c_str());
            return false;
        }
        setting = *listed;
        return true;
    }
    std::FILE* file = curve.empty() ? nullptr : std::fopen(curve.c_str(), "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "sonorbox-decode: --eq: cannot read the settings file \"%s\"%s%s\n", curve.c_str(),
                     curve.empty() ? "" : ": ", curve.empty() ? "" : std::strerror(errno));
        return false;
    }
    std::fclose(file);
    setting = equalisersettings::read(IniFile(curve));
    return true;
}

// Returns -1 when the options are good, else the exit status.
int parseOptions(int argc, char** argv, Options& options)
{
    int positional = 0;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--eq") {
            options.equaliser = mp3::builtInEqualiser();
        } else if (!optionsEnded && arg.rfind("--eq=", 0) == 0) {
            if (!readCurve(arg.substr(5), options.equaliser)) return exitUsage;
        } else if (!optionsEnded && arg == "--keep-all") {
            options.keepAll = true;
        } else if (!optionsEnded && arg == "--info") {
            options.info = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            std::fputs(usageText, stdout);
            return 0;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "sonorbox-decode: unknown option %s\n%s", arg.c_str(), usageText);
            return exitUsage;
        } else if (positional == 0) {
            options.input = arg;
            ++positional;
        } else if (positional == 1) {
            options.output = arg;
            ++positional;
        } else {
            std::fprintf(stderr, "sonorbox-decode: too many arguments\n%s", usageText);
            return exitUsage;
        }
    }
    if (positional == 0) {
        std::fputs(usageText, stderr);
        return exitUsage;
    }
    return -1;
}

bool endsWith(const std::string& text, const char* suffix)
{
    std::size_t n = std::strlen(suffix);
    if (text.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        char c = text[text.size() - n + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i]) return false;
    }
    return true;
}

const char* headerFrameName(mp3::HeaderFrame::Kind kind)
{
    switch (kind) {
    case mp3::HeaderFrame::Kind::xing:
        return "Xing";
    case mp3::HeaderFrame::Kind::info:
        return "Info";
    case mp3::HeaderFrame::Kind::vbri:
        return "VBRI";
    default:
        return "none";
    }
}

void printInfo(const mp3::Decoder& decoder, const mp3::FrameHeader& header, FILE* out)
{
    const mp3::StreamLength length = decoder.streamLength(header);
    const mp3::HeaderFrame& frame = decoder.headerFrame();
    const char* source = length.fromHeaderFrame ? "header frame" : "estimated";
    std::fprintf(out, "Format:      %s\n", describeVersion(header).c_str());
    const int bitrate = decoder.streamBitrateKbps(header);
    const bool variable = frame.kind == mp3::HeaderFrame::Kind::xing || frame.kind == mp3::HeaderFrame::Kind::vbri;
    const char* bitrateSource = bitrate != mp3::bitrateKbps(header) ? " (average)"
                                : variable                          ? " (first frame; variable)"
                                                                    : "";
    std::fprintf(out, "Bitrate:     %d kbit/s%s\n", bitrate, bitrateSource);
    std::fprintf(out, "Sample rate: %d Hz\n", mp3::sampleRateHz(header));
    std::fprintf(out, "Mode:        %s\n", describeMode(header).c_str());
    std::fprintf(out, "CRC:         %s\n", header.errorProtection ? "yes" : "no");
    std::fprintf(out, "Header:      %s\n", headerFrameName(frame.kind));
    if (frame.hasGaplessInfo)
        std::fprintf(out, "Gapless:     encoder delay %d, padding %d samples\n", frame.encoderDelay,
                     frame.encoderPadding);
    std::fprintf(out, "Frames:      %lld (%s)\n", static_cast<long long>(length.frames), source);
    if (length.fromHeaderFrame) std::fprintf(out, "Samples:     %lld\n", static_cast<long long>(length.samples));
    // A tenth of a second, truncated, so the figure never promises more than there is.
    std::fprintf(out, "Length:      %.1f s (%s)\n", std::floor(length.seconds * 10.0) / 10.0, source);
}

// Discards the PCM: for decoding only to check a stream.
class NullSink : public mp3::PcmSink {
public:
    void writeBuffer(const std::uint8_t*, int) override {}
};

int fail(const Options& options, const std::string& reason)
{
    std::fprintf(stderr, "sonorbox-decode: %s: %s\n", options.input.c_str(), reason.c_str());
    return exitFailure;
}

int run(const Options& options)
{
    mp3::Decoder decoder;
    decoder.setEqualiser(options.equaliser);
    decoder.setGapless(!options.keepAll);
    if (!decoder.openSong(options.input.c_str())) {
        // The decoder refuses a FIFO or a device with ENXIO rather than wait on it.
        const char* reason = errno == ENXIO ? "not a regular file" : std::strerror(errno);
        return fail(options, std::string("cannot open: ") + reason);
    }

    mp3::FrameHeader header;
    mp3::FrameRead read = decoder.nextFrame(header);
    if (read == mp3::FrameRead::notMp3) return fail(options, mp3::notValidMp3Text);
    const bool gotFrame = read == mp3::FrameRead::frame;
    std::string refusal = refusalReason(header, gotFrame);
    if (!refusal.empty()) return fail(options, refusal);

    // Info goes to standard error when the PCM itself goes to standard output.
    if (options.info) printInfo(decoder, header, options.output == "-" ? stderr : stdout);
    if (options.info && options.output.empty()) return 0;

    NullSink discard;
    PcmFileWriter writer;
    mp3::PcmSink* sink = &discard;
    if (!options.output.empty()) {
        auto format = endsWith(options.output, ".wav") && options.output != "-" ? PcmFileWriter::Format::Wav
                                                                                : PcmFileWriter::Format::Raw;
        if (!writer.open(options.output, format, mp3::sampleRateHz(header), header.channels))
            return fail(options, writer.errorText());
        sink = &writer;
    }

    long long decodedFrames = 0;
    do {
        if (decoder.decodeFrame(header, *sink)) ++decodedFrames;
        read = decoder.nextFrame(header);
    } while (read == mp3::FrameRead::frame);
    if (read == mp3::FrameRead::notMp3) return fail(options, mp3::notValidMp3Text);
    decoder.endStream();
    decoder.flushPcm(*sink);
    const long long damaged = decoder.skippedFrames();
    const long long silenced = decoder.silencedSamples();
    decoder.closeSong();

    if (sink == &writer && !writer.finish()) return fail(options, writer.errorText());
    // Frame headers alone are no stream: success means some audio came out.
    if (decodedFrames == 0) return fail(options, "no frame could be decoded");
    if (damaged > 0)
        std::fprintf(stderr, "sonorbox-decode: %s: %lld damaged frame%s, %lld samples played as silence\n",
                     options.input.c_str(), damaged, damaged == 1 ? "" : "s", silenced);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    int status = parseOptions(argc, argv, options);
    if (status >= 0) return status;
    return run(options);
}
