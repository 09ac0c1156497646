// Playback figures on SDL's real-time dummy device (SDL_AUDIODRIVER=dummy):
//   playback_bench cpu SONG SECONDS      process CPU time over audio time
//   playback_bench response SONG COUNT   time from a next or seek request to
//                                        the write after the device reset
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "Player.h"
#include "PlayerReadouts.h"
#include "SdlAudioDevice.h"
#include "SettingsReader.h"
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
// the new position is what the device plays.
class TimedDevice : public SdlAudioDevice {
public:
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
    bool resetSeen_ = false;  // player thread only
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
    std::printf("cpu: %.3f s of CPU over %.1f s of audio = %.3f%% of one core (target at most 0.5%%)\n", cpu,
                audio, 100.0 * cpu / audio);
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

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s cpu SONG SECONDS | response SONG COUNT\n", argv[0]);
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
    if (mode == "cpu")
        return measureCpu(player, song, amount);
    if (mode == "response")
        return measureResponse(player, device, song, amount);
    std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
    return 2;
}
