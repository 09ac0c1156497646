#include "ShellReadouts.h"

#include <QThread>

#include "MainWindow.h"

void ShellReadouts::setWindow(MainWindow* window)
{
    window_ = window;
}

bool ShellReadouts::onWindowThread() const
{
    return QThread::currentThread() == thread();
}

void ShellReadouts::showAudible(const Audible& audible)
{
    {
        std::lock_guard lock(audibleMutex_);
        audible_ = audible;
        audibleDue_ = true;
    }
    if (onWindowThread())
        drawAudible();
    else
        schedule();
}

void ShellReadouts::setSampleRateNumber(int kiloHertz)
{
    sampleRate_.store(kiloHertz);
    schedule();
}

void ShellReadouts::setBitrateNumber(int kbps)
{
    bitrate_.store(kbps);
    schedule();
}

void ShellReadouts::showPaused(bool paused)
{
    if (onWindowThread()) {
        // The button pressed shows its new look at once.
        paused_.store(-1);
        if (window_) window_->showPaused(paused);
        return;
    }
    paused_.store(paused ? 1 : 0);
    schedule();
}

void ShellReadouts::showListChanged(std::uint64_t)
{
    listChanged_.store(true);
    schedule();
}

void ShellReadouts::schedule()
{
    if (drawPosted_.exchange(true)) return;
    postedDraws_.fetch_add(1);
    QMetaObject::invokeMethod(this, &ShellReadouts::draw, Qt::QueuedConnection);
}

void ShellReadouts::draw()
{
    // Cleared first: a value stored from here on posts a new request.
    drawPosted_.store(false);
    if (!window_) return;
    const int sampleRate = sampleRate_.exchange(-1);
    const int bitrate = bitrate_.exchange(-1);
    if (sampleRate >= 0) window_->setSampleRateNumber(sampleRate);
    if (bitrate >= 0) window_->setBitrateNumber(bitrate);
    drawAudible();
    const int paused = paused_.exchange(-1);
    if (paused >= 0) window_->showPaused(paused == 1);
    if (listChanged_.exchange(false)) window_->showListChanged();
}

void ShellReadouts::drawAudible()
{
    if (!window_) return;
    Audible audible;
    {
        std::lock_guard lock(audibleMutex_);
        if (!audibleDue_) return;
        audibleDue_ = false;
        audible = audible_;
    }
    window_->showAudible(audible);
}
