#include "Player.h"

#include "PlayerEngine.h"

Player::Player(AudioDevice& device, PlayerReadouts& readouts, UserMessages& messages, SettingsReader& settings)
    : engine_(std::make_unique<PlayerEngine>(device, readouts, messages, settings))
{
}

Player::~Player() = default;

void Player::startPlayerThread(const std::string& path, StartAt at)
{
    engine_->startPlayerThread({path}, at);
}

void Player::stopPlayback()
{
    engine_->stopPlayback();
}

bool Player::isRunning() const
{
    return engine_->isRunning();
}

void Player::requestNext()
{
    engine_->requestNext();
}

void Player::requestPrevious()
{
    engine_->requestPrevious();
}

void Player::requestSeek(float fraction)
{
    engine_->requestSeek(fraction);
}

void Player::takeOverFile(const std::string& path)
{
    engine_->takeOverFiles({path});
}

void Player::pause()
{
    engine_->pause();
}

void Player::resume()
{
    engine_->resume();
}

bool Player::isPaused() const
{
    return engine_->isPaused();
}

bool Player::isSeeking() const
{
    return engine_->isSeeking();
}

Audible Player::audible() const
{
    return engine_->audible();
}

void Player::startPlayerThread(const std::vector<std::string>& paths, StartAt at)
{
    engine_->startPlayerThread(paths, at);
}

bool Player::startOnList(StartAt at)
{
    return engine_->startOnList(at);
}

void Player::takeOverFiles(const std::vector<std::string>& paths)
{
    engine_->takeOverFiles(paths);
}

void Player::addPaths(const std::vector<std::string>& paths)
{
    engine_->insertPaths(-1, paths);
}

void Player::insertPaths(int index, const std::vector<std::string>& paths)
{
    engine_->insertPaths(index, paths);
}

void Player::playEntry(int index)
{
    engine_->playEntry(index);
}

void Player::removeEntries(const std::vector<int>& indices)
{
    engine_->removeEntries(indices);
}

void Player::moveEntries(const std::vector<int>& indices, int to)
{
    engine_->moveEntries(indices, to);
}

void Player::setRepeat(Repeat repeat)
{
    engine_->setRepeat(repeat);
}

Repeat Player::repeat() const
{
    return engine_->repeat();
}

void Player::setShuffle(bool shuffle)
{
    engine_->setShuffle(shuffle);
}

bool Player::shuffle() const
{
    return engine_->shuffle();
}

ListSnapshot Player::listSnapshot() const
{
    return engine_->listSnapshot();
}

void Player::setEqualiser(const mp3::EqualiserSetting& setting)
{
    engine_->setEqualiser(setting);
}

mp3::EqualiserSetting Player::equaliser() const
{
    return engine_->equaliser();
}
