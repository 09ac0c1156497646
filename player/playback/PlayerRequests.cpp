// The window thread's side of the player: starting and stopping the thread
// and the requests. Each request writes its values first and clears
// keepDecoding last; the player thread reads the values only after its frame
// loop has ended, so it never acts on a request seen half-made.

#include <algorithm>

#include "M3uReader.h"
#include "Player.h"
#include "PlayerReadouts.h"
#include "SettingsReader.h"

Player::Player(AudioDevice& device, PlayerReadouts& readouts, UserMessages& messages, SettingsReader& settings)
    : readouts_(readouts), messages_(messages), settings_(settings), playlist_(messages),
      waveOutput_(device, control_, song_, playlist_, readouts, messages)
{
}

Player::~Player()
{
    stopPlayback();
    if (thread_.joinable())
        thread_.join();
}

void Player::startPlayerThread(const std::string& path)
{
    stopPlayback();
    if (thread_.joinable())
        thread_.join();
    // Read here, on the window thread, which owns the settings.
    int pure = settings_.getInt("Pure");
    waveOutput_.setPaused(false);
    setGivenPath(path);
    // The request values are reset before the thread exists, so a request
    // made right after this call is never wiped out by the thread's start.
    resetControl();
    thread_ = std::thread([this, path, pure] { playerThreadMain({"sonorbox", path}, pure); });
}

void Player::resetControl()
{
    control_.keepDecoding.store(1);
    control_.seekFraction.store(noSeek);
    control_.stopRequested.store(0);
    control_.nextRequested.store(0);
    control_.prevRequested.store(0);
    control_.resetPending.store(0);
    control_.deviceFormat.sampleRate.store(-1);
    control_.deviceFormat.channelCount.store(-1);
    control_.playerRunning.store(1);
}

void Player::stopPlayback()
{
    if (control_.playerRunning.load() != 1)
        return;
    control_.stopRequested.store(1);
    control_.keepDecoding.store(0);
    waveOutput_.wakeWriter();
    while (control_.stopRequested.load() == 1)
        control_.stopRequested.wait(1);
    waveOutput_.setPaused(false);
}

void Player::request(std::atomic<int>& flag)
{
    flag.store(1);
    control_.keepDecoding.store(0);
    waveOutput_.endPauseAtReset();
    waveOutput_.wakeWriter();
}

void Player::requestNext() { request(control_.nextRequested); }

void Player::requestPrevious() { request(control_.prevRequested); }

void Player::requestSeek(float fraction)
{
    if (!(fraction >= 0.0f))
        return;
    control_.seekKeepsPosition.store(true);
    control_.seekFraction.store(std::min(fraction, 1.0f));
    control_.keepDecoding.store(0);
    waveOutput_.endPauseAtReset();
    waveOutput_.wakeWriter();
}

void Player::takeOverFile(const std::string& path)
{
    playlist_.replaceWith(path);
    if (isListPath(path))
        playlist_.moveTo(playlist_.count());
    song_.forget();
    readouts_.setTitle(path);
    setGivenPath(path);
    request(control_.nextRequested);
}

void Player::setGivenPath(const std::string& path)
{
    std::lock_guard lock(givenPathMutex_);
    givenPath_ = path;
}

std::string Player::givenPath()
{
    std::lock_guard lock(givenPathMutex_);
    return givenPath_;
}
