#include "VolumeSave.h"

VolumeSave::VolumeSave(std::function<void(int volume)> save) : save_(std::move(save))
{
    rest_.setSingleShot(true);
    rest_.setInterval(restMilliseconds);
    QObject::connect(&rest_, &QTimer::timeout, [this] { saveNow(); });
}

void VolumeSave::changed(int volume)
{
    waiting_ = volume;
    rest_.start();
}

void VolumeSave::saveNow()
{
    rest_.stop();
    if (!waiting_) return;
    const int volume = *waiting_;
    waiting_.reset();
    save_(volume);
}
