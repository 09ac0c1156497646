// Playback figures on SDL's real-time dummy device (SDL_AUDIODRIVER=dummy):
//   playback_bench cpu SONG SECONDS      process CPU time over audio time
//   playback_bench response SONG COUNT   time from a next or seek request to
//                                        the write after the device reset
// and on SDL's disk device as fast as it goes (SDL_AUDIODRIVER=disk,
// SDL_DISKAUDIODELAY=0):
//   playback_bench callback SONG 1       our part of the audio callback (the
//                                        listener told of each finished
//                                        block): a histogram of its times
//                                        over the whole song, and the worst
//   playback_bench callback-edits SONG 1 the same while another thread adds
//                                        10,000 entries, moves and removes
//                                        them in a loop
//   playback_bench callback-fill SONG 1  the same while the playlist's
//                                        reader reads the tags and lengths of
//                                        10,000 entries (links to SONG), again
//                                        and again; and how many it read
//   playback_bench add SONG 10000        the time to add that many entries,
//                                        in one request and one at a time
// and on SDL's disk device in real time (SDL_AUDIODRIVER=disk, the default
// delay, SDL_DISKAUDIOFILE naming the file):
//   playback_bench equaliser SONG 20     the audio heard from a change of the
//                                        equaliser's curve to its first
//                                        changed sample, and any sample that
//                                        is neither curve's (a gap or click)
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "Player.h"
#include "PlayerReadouts.h"
#include "SdlAudioDevice.h"
#include "SettingsReader.h"
#include "SongFactsReader.h"
#include "UserMessages.h"

namespace {

using Clock = std::chrono::steady_clock;

struct QuietReadouts : PlayerReadouts {
    void showAudible(const Audible&) override {}
    void setSampleRateNumber(int) override {}
    void setBitrateNumber(int) override {}
    void showPaused(bool) override {}
};

struct PrintedMessages : UserMessages {
    MessageAnswer ask(const std::string& caption, const std::string& text, MessageIcon, MessageButtons) override
    {
        post(caption, text, MessageIcon::none);
        return MessageAnswer::ok;
    }
    void post(const std::string& caption, const std::string& text, MessageIcon) override
    {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
};

struct NoSettings : SettingsReader {
    int getInt(const std::string&) override { return 0; }
};

// Notes when the first write after a reset reaches the device: from then on
// the new position is what the device plays. Times our listener too: one
// bucket per power of two of nanoseconds, counted without a lock (the device
// calls the listener from one thread at a time).
class TimedDevice : public SdlAudioDevice, private AudioDeviceListener {
public:
    static constexpr int bucketCount = 32;

    bool open(const AudioFormat& format, AudioDeviceListener& listener, std::string& errorText) override
    {
        inner_ = &listener;
        return SdlAudioDevice::open(format, *this, errorText);
    }
    void onBufferDone(bool played) override
    {
        const auto started = Clock::now();
        inner_->onBufferDone(played);
        const auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - started).count();
        const auto value = static_cast<std::uint64_t>(std::max<std::int64_t>(nanos, 1));
        buckets_[std::min<int>(static_cast<int>(std::bit_width(value)) - 1, bucketCount - 1)].fetch_add(1);
        std::uint64_t worst = worst_.load(std::memory_order_relaxed);
        while (value > worst && !worst_.compare_exchange_weak(worst, value)) {
        }
    }
    std::uint64_t calls(int bucket) const { return buckets_[static_cast<std::size_t>(bucket)].load(); }
    std::uint64_t worstNanos() const { return worst_.load(); }

    void reset() override
    {
        SdlAudioDevice::reset();
        resetSeen_ = true;
    }
    void write(const std::uint8_t* data, int length) override
    {
        SdlAudioDevice::write(data, length);
        if (resetSeen_) {
            resetSeen_ = false;
            lastResetWrite_.store(Clock::now().time_since_epoch().count());
            resetWrites_.fetch_add(1);
        }
    }
    int resetWrites() const { return resetWrites_.load(); }
    Clock::time_point lastResetWrite() const { return Clock::time_point(Clock::duration(lastResetWrite_.load())); }

private:
    AudioDeviceListener* inner_ = nullptr;
    std::array<std::atomic<std::uint64_t>, bucketCount> buckets_{};
    std::atomic<std::uint64_t> worst_{0};
    bool resetSeen_ = false; // player thread only
    std::atomic<int> resetWrites_{0};
    std::atomic<Clock::rep> lastResetWrite_{0};
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

int measureCpu(Player& player, const std::string& song, int seconds)
{
    double cpuBefore = cpuSeconds();
    auto started = Clock::now();
    player.startPlayerThread(song);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    double audio = std::chrono::duration<double>(Clock::now() - started).count();
    double cpu = cpuSeconds() - cpuBefore;
    player.stopPlayback();
    std::printf("cpu: %.3f s of CPU over %.1f s of audio = %.3f%% of one core (target at most 0.5%%)\n", cpu, audio,
                100.0 * cpu / audio);
    return 0;
}

int measureResponse(Player& player, TimedDevice& device, const std::string& song, int count)
{
    player.startPlayerThread(song);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> pause(150, 400);
    std::uniform_real_distribution<float> fraction(0.05f, 0.95f);
    std::vector<double> millis;
    for (int i = 0; i < count; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
        int before = device.resetWrites();
        auto asked = Clock::now();
        if (i % 2 == 0)
            player.requestNext();
        else
            player.requestSeek(fraction(random));
        while (device.resetWrites() == before) {
            if (Clock::now() - asked > std::chrono::seconds(5)) {
                std::fprintf(stderr, "request %d was not answered within 5 s\n", i);
                return 1;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        millis.push_back(std::chrono::duration<double, std::milli>(device.lastResetWrite() - asked).count());
    }
    player.stopPlayback();
    std::sort(millis.begin(), millis.end());
    std::printf("response over %d requests (next and seek alternating): median %.2f ms, worst %.2f ms "
                "(target worst at most 150 ms)\n",
                count, millis[millis.size() / 2], millis.back());
    return 0;
}

// The window's edits at their heaviest: 10,000 entries added behind the one
// heard, a hundred of them moved into the middle, then all removed; again
// until done. Returns the rounds made.
int editInALoop(Player& player, const std::string& song, const std::atomic<bool>& done)
{
    const std::vector<std::string> many(10000, song);
    std::vector<int> moved(100);
    int rounds = 0;
    while (!done.load()) {
        player.addPaths(many);
        for (std::size_t i = 0; i < moved.size(); ++i) moved[i] = static_cast<int>(1 + i * 37);
        player.moveEntries(moved, 5000);
        std::vector<int> added(player.listSnapshot().paths.size() - 1);
        for (std::size_t i = 0; i < added.size(); ++i) added[i] = static_cast<int>(i + 1);
        player.removeEntries(added);
        ++rounds;
    }
    return rounds;
}

// count names of song, each a link of its own in a fresh folder (the
// reader reads each path once), removed at the end.
struct LinkedSongs {
    std::filesystem::path folder;
    std::vector<std::string> paths;

    LinkedSongs(const std::string& song, int count)
    {
        folder = std::filesystem::temp_directory_path() / ("playback-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        const std::filesystem::path target = std::filesystem::absolute(song);
        for (int i = 0; i < count; ++i) {
            const std::filesystem::path link = folder / ("song " + std::to_string(i) + ".mp3");
            std::filesystem::create_symlink(target, link);
            paths.push_back(link.string());
        }
    }
    ~LinkedSongs()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

// The playlist window's reading at its heaviest: every entry of a
// 10,000-entry list read, by a new reader each round (one reader reads a
// path once), until done; read counts the entries read.
void fillInALoop(const std::vector<std::string>& paths, const std::atomic<bool>& done, std::atomic<std::size_t>& read)
{
    while (!done.load()) {
        SongFactsReader reader([] {});
        reader.want(paths);
        while (reader.busy() && !done.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            read.fetch_add(reader.take().size());
        }
        read.fetch_add(reader.take().size());
    }
}

int measureAdding(Player& player, const std::string& song, int count)
{
    using Millis = std::chrono::duration<double, std::milli>;
    player.startPlayerThread(song);
    while (player.audible().song == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    auto started = Clock::now();
    player.addPaths(std::vector<std::string>(static_cast<std::size_t>(count), song));
    const double together = Millis(Clock::now() - started).count();
    started = Clock::now();
    for (int i = 0; i < count; ++i) player.addPaths({song});
    const double single = Millis(Clock::now() - started).count();
    started = Clock::now();
    const ListSnapshot snapshot = player.listSnapshot();
    const double snapshotTime = Millis(Clock::now() - started).count();
    player.stopPlayback();
    std::printf("adding %d entries while playing: %.2f ms in one request, %.2f ms one at a time; "
                "a snapshot of the %zu entries: %.3f ms\n",
                count, together, single, snapshot.paths.size(), snapshotTime);
    return 0;
}

// What runs beside the song while the callback is timed.
enum class Load { none, edits, fill };

int measureCallback(Player& player, TimedDevice& device, const std::string& song, Load load)
{
    std::unique_ptr<LinkedSongs> linked;
    if (load == Load::fill) linked = std::make_unique<LinkedSongs>(song, 10000);
    player.startPlayerThread(song);
    std::atomic<bool> done{false};
    int rounds = 0;
    std::atomic<std::size_t> filled{0};
    std::thread editor;
    if (load == Load::edits) editor = std::thread([&] { rounds = editInALoop(player, song, done); });
    if (load == Load::fill) editor = std::thread([&] { fillInALoop(linked->paths, done, filled); });
    // The song has played whole once the block holding its next round's
    // first sample has.
    std::uint32_t first = 0;
    while ((first = player.audible().song) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const int seconds = player.audible().lengthSeconds;
    auto started = Clock::now();
    // While the list is read, the song plays on (again) until a whole list was.
    while (player.audible().song == first || (load == Load::fill && filled.load() < 10000)) {
        if (Clock::now() - started > std::chrono::minutes(10)) {
            std::fprintf(stderr, "the song did not play to its end within 10 minutes\n");
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    done.store(true);
    if (editor.joinable()) editor.join();
    player.stopPlayback();
    if (load == Load::edits)
        std::printf("while the list was edited: %d rounds of 10,000 entries added, moved, removed\n", rounds);
    if (load == Load::fill)
        std::printf("while the tags and lengths of a 10,000-entry list were read: %zu entries read in %.0f ms\n",
                    filled.load(), std::chrono::duration<double, std::milli>(Clock::now() - started).count());
    std::uint64_t total = 0;
    for (int i = 0; i < TimedDevice::bucketCount; ++i) total += device.calls(i);
    std::printf("callback: our listener over a %d s song, %llu finished blocks (played and dropped):\n", seconds,
                static_cast<unsigned long long>(total));
    for (int i = 0; i < TimedDevice::bucketCount; ++i)
        if (device.calls(i) > 0)
            std::printf("  %8llu ns to < %8llu ns: %llu\n", 1ull << i, 2ull << i,
                        static_cast<unsigned long long>(device.calls(i)));
    std::printf("callback worst: %.3f us (one block lasts %.0f us)\n",
                static_cast<double>(device.worstNanos()) / 1000.0, 4096.0 / 44100.0 * 1e6);
    return 0;
}

} // namespace

std::vector<std::int16_t> decodeWith(const std::string& song, const mp3::EqualiserSetting& setting)
{
    struct Collect : mp3::PcmSink {
        std::vector<std::int16_t> samples;
        void writeBuffer(const std::uint8_t* data, int size) override
        {
            const std::size_t at = samples.size();
            samples.resize(at + static_cast<std::size_t>(size) / 2);
            std::memcpy(samples.data() + at, data, static_cast<std::size_t>(size));
        }
    } sink;
    mp3::Decoder decoder;
    decoder.setEqualiser(setting);
    decoder.openSong(song.c_str());
    mp3::FrameHeader header;
    while (decoder.nextFrame(header) == mp3::FrameRead::frame) decoder.decodeFrame(header, sink);
    return sink.samples;
}

long long fileBytes(const char* path)
{
    struct stat status {};
    return stat(path, &status) == 0 ? static_cast<long long>(status.st_size) : 0;
}

// Alternates between two curves count times at random moments; for each,
// the audio the disk device wrote from the request to the first sample of
// the new curve. Every sample written must be one curve's or the other's at
// its place in the song: the longest run of those that are neither is the
// longest gap or click.
int measureEqualiser(Player& player, const std::string& song, int count)
{
    const char* file = std::getenv("SDL_DISKAUDIOFILE");
    if (file == nullptr) {
        std::fprintf(stderr, "SDL_DISKAUDIOFILE names the disk device's file\n");
        return 2;
    }
    mp3::EqualiserSetting curves[2];
    for (int band = 0; band < mp3::equaliserBands; ++band) {
        curves[0].gainsDb[band] = static_cast<float>(band % 2 == 0 ? 9 : -9);
        curves[1].gainsDb[band] = -curves[0].gainsDb[band];
    }
    const std::vector<std::int16_t> made[2] = {decodeWith(song, curves[0]), decodeWith(song, curves[1])};
    player.setRepeat(Repeat::off);
    player.setEqualiser(curves[0]);
    player.startPlayerThread(song);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    std::mt19937 random(4321);
    std::uniform_int_distribution<int> pause(300, 700);
    std::vector<long long> askedAt; // sample frames written when asked
    for (int i = 0; i < count; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
        askedAt.push_back(fileBytes(file) / 4);
        player.setEqualiser(curves[(i + 1) % 2]);
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    player.stopPlayback();

    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::int16_t> heard(bytes.size() / 2);
    std::memcpy(heard.data(), bytes.data(), heard.size() * 2);
    // The device may write silence before the first block: the song begins
    // where its first samples do.
    std::size_t lead = 0;
    while (lead < heard.size() / 2 && !(heard[2 * lead] == made[0][0] && heard[2 * lead + 1] == made[0][1] &&
                                        std::equal(made[0].begin(), made[0].begin() + 64, heard.begin() + 2 * lead)))
        ++lead;
    const std::size_t frames = std::min(heard.size() / 2 - lead, made[0].size() / 2);
    auto isCurve = [&](int c, std::size_t n) {
        return heard[2 * (lead + n)] == made[c][2 * n] && heard[2 * (lead + n) + 1] == made[c][2 * n + 1];
    };
    std::size_t longestOdd = 0, odd = 0;
    for (std::size_t n = 0; n < frames; ++n) {
        odd = isCurve(0, n) || isCurve(1, n) ? 0 : odd + 1;
        longestOdd = std::max(longestOdd, odd);
    }
    std::vector<double> millis;
    for (int i = 0; i < count; ++i) {
        const int now = (i + 1) % 2;
        const long long from =
            std::max<long long>(0, askedAt[static_cast<std::size_t>(i)] - static_cast<long long>(lead));
        std::size_t n = static_cast<std::size_t>(from);
        // The first sample of the new curve that the old one would not give.
        while (n < frames && (!isCurve(now, n) || isCurve(1 - now, n))) ++n;
        if (n >= frames) {
            std::fprintf(stderr, "change %d was never heard\n", i);
            return 1;
        }
        millis.push_back(static_cast<double>(static_cast<long long>(n) - from) * 1000.0 / 44100.0);
    }
    std::sort(millis.begin(), millis.end());
    std::printf("equaliser change to its first changed sample heard, over %d changes: median %.1f ms, worst %.1f ms "
                "of audio (target at most 150 ms); longest run of samples of neither curve: %.2f ms\n",
                count, millis[millis.size() / 2], millis.back(), static_cast<double>(longestOdd) * 1000.0 / 44100.0);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(
            stderr,
            "usage: %s cpu SONG SECONDS | response SONG COUNT | callback[-edits|-fill] SONG 1 | add SONG COUNT | "
            "equaliser SONG COUNT\n",
            argv[0]);
        return 2;
    }
    std::string mode = argv[1];
    std::string song = argv[2];
    int amount = std::max(1, std::atoi(argv[3]));

    TimedDevice device;
    QuietReadouts readouts;
    PrintedMessages messages;
    NoSettings settings;
    Player player(device, readouts, messages, settings);
    if (mode == "cpu") return measureCpu(player, song, amount);
    if (mode == "response") return measureResponse(player, device, song, amount);
    if (mode == "callback") return measureCallback(player, device, song, Load::none);
    if (mode == "callback-edits") return measureCallback(player, device, song, Load::edits);
    if (mode == "callback-fill") return measureCallback(player, device, song, Load::fill);
    if (mode == "add") return measureAdding(player, song, amount);
    if (mode == "equaliser") return measureEqualiser(player, song, amount);
    std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
    return 2;
}
