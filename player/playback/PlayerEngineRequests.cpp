// The window thread's side of the player: starting and stopping the thread
// and the requests. Each request writes its values first and clears
// keepDecoding last; the player thread reads the values only after its frame
// loop has ended, so it never acts on a request seen half-made.

#include <algorithm>

#include "PlayerEngine.h"
#include "PlayerMessages.h"
#include "PlayerReadouts.h"
#include "SettingsReader.h"

PlayerEngine::PlayerEngine(AudioDevice& device, PlayerReadouts& readouts, UserMessages& messages,
                           SettingsReader& settings)
    : readouts_(readouts), messages_(messages), settings_(settings),
      // What a list load could not do is told in a box of its own, without
      // waiting: the player thread loads lists.
      playlist_(
          [&messages](const std::string& text) { messages.post(playertext::errorCaption, text, MessageIcon::none); }),
      waveOutput_(device, control_, audible_, readouts, messages), equaliser_(settings.equaliser())
{
}

PlayerEngine::~PlayerEngine()
{
    stopPlayback();
    if (thread_.joinable()) thread_.join();
}

void PlayerEngine::startPlayerThread(const std::vector<std::string>& paths, StartAt at)
{
    startThread(paths, firstEntryAt(at), false);
}

bool PlayerEngine::startOnList(StartAt at)
{
    if (playlist_.count() == 0) return false;
    startThread({}, firstEntryAt(at), true);
    return true;
}

int PlayerEngine::firstEntryAt(StartAt at) const
{
    return at == StartAt::chosenEntry && chosenEntry_ >= 0 ? chosenEntry_ : 0;
}

void PlayerEngine::startThread(const std::vector<std::string>& paths, int firstEntry, bool keepList)
{
    stopPlayback();
    if (thread_.joinable()) thread_.join();
    // Read here, on the window thread, which owns the settings. Once the
    // listener has chosen a setting in this run, it stands.
    {
        std::lock_guard lock(equaliserMutex_);
        if (!equaliserChosen_) equaliser_ = settings_.equaliser();
    }
    chosenEntry_ = -1;
    waveOutput_.setPaused(false);
    allowPause(true);
    // A list that plays nothing is named by the first path that made it.
    if (!keepList) setGivenPath(paths.empty() ? std::string() : paths.front());
    // The request values are reset before the thread exists, so a request
    // made right after this call is never wiped out by the thread's start.
    resetControl();
    thread_ = std::thread([this, paths, firstEntry, keepList] { playerThreadMain(paths, firstEntry, keepList); });
}

void PlayerEngine::resetControl()
{
    control_.keepDecoding.store(1);
    control_.seekFraction.store(noSeek);
    control_.stopRequested.store(0);
    control_.nextRequested.store(0);
    control_.prevRequested.store(0);
    control_.entryRequested.store(-1);
    control_.listEdited.store(0);
    control_.resetPending.store(0);
    control_.equaliserAsked.store(0);
    control_.deviceFormat.sampleRate.store(-1);
    control_.deviceFormat.channelCount.store(-1);
    control_.playerRunning.store(1);
}

void PlayerEngine::stopPlayback()
{
    if (control_.playerRunning.load() != 1) return;
    control_.stopRequested.store(1);
    control_.keepDecoding.store(0);
    waveOutput_.wakeWriter();
    while (control_.stopRequested.load() == 1) control_.stopRequested.wait(1);
    waveOutput_.setPaused(false);
}

void PlayerEngine::pause()
{
    std::lock_guard lock(pauseMutex_);
    if (pausable_) waveOutput_.setPaused(true);
}

void PlayerEngine::allowPause(bool allowed)
{
    std::lock_guard lock(pauseMutex_);
    pausable_ = allowed;
    if (!allowed) waveOutput_.setPaused(false);
}

void PlayerEngine::request(std::atomic<int>& flag, int value)
{
    flag.store(value);
    control_.keepDecoding.store(0);
    waveOutput_.endPauseAtReset();
    waveOutput_.wakeWriter();
}

void PlayerEngine::requestNext()
{
    if (isRunning())
        request(control_.nextRequested);
    else
        chooseWhileStopped(true);
}

void PlayerEngine::requestPrevious()
{
    if (isRunning())
        request(control_.prevRequested);
    else
        chooseWhileStopped(false);
}

void PlayerEngine::chooseWhileStopped(bool forward)
{
    // No thread runs, so the list and the record are the window thread's.
    if (playlist_.count() == 0) return;
    stepFromHeard(forward);
    std::string path;
    playlist_.getCurrent(path);
    chosenEntry_ = playlist_.currentIndex();
    audible_.handOver(path, playlist_.currentId());
    audible_.relay(readouts_);
}

bool PlayerEngine::isSeeking() const
{
    return control_.seekFraction.load() != noSeek || control_.resetPending.load() != 0 ||
           !audible_.heardFrom(seekNumber_.load());
}

void PlayerEngine::requestSeek(float fraction)
{
    if (!(fraction >= 0.0f)) return;
    control_.seekFraction.store(std::min(fraction, 1.0f));
    control_.keepDecoding.store(0);
    waveOutput_.endPauseAtReset();
    waveOutput_.wakeWriter();
}

void PlayerEngine::takeOverFiles(const std::vector<std::string>& paths)
{
    const std::string named = paths.empty() ? std::string() : paths.front();
    playlist_.replaceWithAll(paths);
    // Shown at once, with an empty seek bar, until its first song is heard;
    // from its last entry, Next goes to its first.
    audible_.handOver(named, playlist_.currentId());
    chosenEntry_ = -1;
    audible_.relay(readouts_);
    tellListChanged();
    setGivenPath(named);
    request(control_.nextRequested);
}

void PlayerEngine::setGivenPath(const std::string& path)
{
    std::lock_guard lock(givenPathMutex_);
    givenPath_ = path;
}

std::string PlayerEngine::givenPath()
{
    std::lock_guard lock(givenPathMutex_);
    return givenPath_;
}

void PlayerEngine::setEqualiser(const mp3::EqualiserSetting& setting)
{
    {
        std::lock_guard lock(equaliserMutex_);
        equaliser_ = setting;
        equaliserChosen_ = true;
    }
    // Unlike the listener's other requests, keepDecoding stays: the song
    // goes on, and the audio queued is made anew, not dropped; a pause stays.
    if (!isRunning()) return;
    control_.equaliserAsked.store(1);
    waveOutput_.wakeWriter();
}

mp3::EqualiserSetting PlayerEngine::equaliser() const
{
    std::lock_guard lock(equaliserMutex_);
    return equaliser_;
}
