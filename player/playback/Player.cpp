#include "Player.h"

#include "PlayerEngine.h"

Player::Player(AudioDevice& device, PlayerReadouts& readouts, UserMessages& messages, SettingsReader& settings)
    : engine_(std::make_unique<PlayerEngine>(device, readouts, messages, settings))
{
}

Player::~Player() = default;

void Player::startPlayerThread(const std::string& path, StartAt at)
{
    engine_->startPlayerThread(path, at);
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
    engine_->takeOverFile(path);
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
