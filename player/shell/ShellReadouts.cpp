#include "ShellReadouts.h"

#include <QThread>

#include "MainWindow.h"

void ShellReadouts::setWindow(MainWindow* window) { window_ = window; }

bool ShellReadouts::onWindowThread() const { return QThread::currentThread() == thread(); }

void ShellReadouts::setTitle(const std::string& path)
{
    if (onWindowThread()) {
        if (window_)
            window_->setTitle(path);
        return;
    }
    // A title comes once a song: each is delivered, in order.
    QMetaObject::invokeMethod(
        this,
        [this, path] {
            if (window_)
                window_->setTitle(path);
        },
        Qt::QueuedConnection);
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

void ShellReadouts::setTime(int seconds)
{
    seconds_.store(seconds);
    schedule();
}

void ShellReadouts::repaintSeekBar()
{
    seekBarDue_.store(true);
    schedule();
}

void ShellReadouts::showPaused(bool paused)
{
    if (onWindowThread()) {
        // The button pressed shows its new look at once.
        paused_.store(-1);
        if (window_)
            window_->showPaused(paused);
        return;
    }
    paused_.store(paused ? 1 : 0);
    schedule();
}

void ShellReadouts::schedule()
{
    if (drawPosted_.exchange(true))
        return;
    postedDraws_.fetch_add(1);
    QMetaObject::invokeMethod(this, &ShellReadouts::draw, Qt::QueuedConnection);
}

void ShellReadouts::draw()
{
    // Cleared first: a value stored from here on posts a new request.
    drawPosted_.store(false);
    if (!window_)
        return;
    const int sampleRate = sampleRate_.exchange(-1);
    const int bitrate = bitrate_.exchange(-1);
    const int seconds = seconds_.exchange(-1);
    if (sampleRate >= 0)
        window_->setSampleRateNumber(sampleRate);
    if (bitrate >= 0)
        window_->setBitrateNumber(bitrate);
    if (seconds >= 0)
        window_->setTime(seconds);
    if (seekBarDue_.exchange(false))
        window_->repaintSeekBar();
    const int paused = paused_.exchange(-1);
    if (paused >= 0)
        window_->showPaused(paused == 1);
}
