#include "TestAudioDevice.h"

TestAudioDevice::TestAudioDevice() : flowThread_([this] { flow(); }) {}

TestAudioDevice::~TestAudioDevice()
{
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    flowThread_.join();
}

int TestAudioDevice::outputDeviceCount()
{
    std::lock_guard lock(mutex_);
    return deviceCount_;
}

bool TestAudioDevice::open(const AudioFormat& format, AudioDeviceListener& listener, std::string& errorText)
{
    std::lock_guard lock(mutex_);
    if (openError_) {
        errorText = *openError_;
        return false;
    }
    if (open_) ++misuses_;
    open_ = true;
    ++opens_;
    format_ = format;
    listener_ = &listener;
    return true;
}

void TestAudioDevice::write(const std::uint8_t* data, int length)
{
    {
        std::lock_guard lock(mutex_);
        if (!open_ || static_cast<int>(queue_.size()) >= maxQueued) ++misuses_;
        queue_.push_back({data, length});
        ++writes_;
    }
    changed_.notify_all();
}

void TestAudioDevice::finishOldest(bool played)
{
    Queued oldest = queue_.front();
    queue_.pop_front();
    if (played) played_.insert(played_.end(), oldest.data, oldest.data + oldest.length);
    listener_->onBufferDone(played);
}

void TestAudioDevice::reset()
{
    if (beforeReset) beforeReset();
    {
        std::lock_guard lock(mutex_);
        ++resets_;
        writesAtLastReset_ = writes_;
        if (lateReset_.count() > 0) {
            returning_ += static_cast<int>(queue_.size());
            queue_.clear();
            returnAt_ = std::chrono::steady_clock::now() + lateReset_;
        }
        while (!queue_.empty()) finishOldest(false);
    }
    changed_.notify_all();
}

int TestAudioDevice::dropAfterHead()
{
    std::lock_guard lock(mutex_);
    ++drops_;
    const int dropped = queue_.size() > 1 ? static_cast<int>(queue_.size()) - 1 : 0;
    queue_.resize(queue_.size() - static_cast<std::size_t>(dropped));
    droppedBuffers_ += dropped;
    return dropped;
}

int TestAudioDevice::drops() const
{
    std::lock_guard lock(mutex_);
    return drops_;
}

int TestAudioDevice::droppedBuffers() const
{
    std::lock_guard lock(mutex_);
    return droppedBuffers_;
}

void TestAudioDevice::pause()
{
    std::lock_guard lock(mutex_);
    paused_ = true;
}

void TestAudioDevice::resume()
{
    {
        std::lock_guard lock(mutex_);
        paused_ = false;
    }
    changed_.notify_all();
}

bool TestAudioDevice::close(std::string& errorText)
{
    std::lock_guard lock(mutex_);
    if (!open_ || !queue_.empty() || returning_ > 0) ++misuses_;
    open_ = false;
    paused_ = false;
    ++closes_;
    listener_ = nullptr;
    if (closeError_) {
        errorText = *closeError_;
        return false;
    }
    return true;
}

void TestAudioDevice::setDeviceCount(int count)
{
    std::lock_guard lock(mutex_);
    deviceCount_ = count;
}

void TestAudioDevice::failOpen(std::optional<std::string> errorText)
{
    std::lock_guard lock(mutex_);
    openError_ = std::move(errorText);
}

void TestAudioDevice::failClose(std::optional<std::string> errorText)
{
    std::lock_guard lock(mutex_);
    closeError_ = std::move(errorText);
}

int TestAudioDevice::complete(int n)
{
    int done = 0;
    {
        std::lock_guard lock(mutex_);
        while (done < n && !paused_ && !queue_.empty()) {
            finishOldest(true);
            ++done;
        }
    }
    changed_.notify_all();
    return done;
}

void TestAudioDevice::setFlowing(bool flowing, std::chrono::microseconds pace)
{
    {
        std::lock_guard lock(mutex_);
        flowing_ = flowing;
        pace_ = pace;
    }
    changed_.notify_all();
}

void TestAudioDevice::setLateReset(std::chrono::milliseconds delay)
{
    std::lock_guard lock(mutex_);
    lateReset_ = delay;
}

void TestAudioDevice::flow()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return ending_ || returning_ > 0 || (flowing_ && !paused_ && !queue_.empty()); });
        if (ending_) return;
        if (returning_ > 0) {
            while (!ending_ && std::chrono::steady_clock::now() < returnAt_) changed_.wait_until(lock, returnAt_);
            for (; returning_ > 0; --returning_) listener_->onBufferDone(false);
            continue;
        }
        if (pace_.count() > 0) {
            // Played for pace: a reset, a pause or the end may come meanwhile.
            if (changed_.wait_for(lock, pace_, [this] { return ending_ || paused_ || queue_.empty(); })) continue;
        }
        finishOldest(true);
        lock.unlock();
        changed_.notify_all();
        lock.lock();
    }
}

bool TestAudioDevice::waitForQueued(int n, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return static_cast<int>(queue_.size()) >= n; });
}

bool TestAudioDevice::waitForWrites(int n, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return writes_ >= n; });
}

int TestAudioDevice::queued() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(queue_.size());
}

int TestAudioDevice::writes() const
{
    std::lock_guard lock(mutex_);
    return writes_;
}

int TestAudioDevice::resets() const
{
    std::lock_guard lock(mutex_);
    return resets_;
}

int TestAudioDevice::opens() const
{
    std::lock_guard lock(mutex_);
    return opens_;
}

int TestAudioDevice::closes() const
{
    std::lock_guard lock(mutex_);
    return closes_;
}

bool TestAudioDevice::isOpen() const
{
    std::lock_guard lock(mutex_);
    return open_;
}

bool TestAudioDevice::isPaused() const
{
    std::lock_guard lock(mutex_);
    return paused_;
}

AudioFormat TestAudioDevice::format() const
{
    std::lock_guard lock(mutex_);
    return format_;
}

std::vector<std::uint8_t> TestAudioDevice::played() const
{
    std::lock_guard lock(mutex_);
    return played_;
}

int TestAudioDevice::writesAtLastReset() const
{
    std::lock_guard lock(mutex_);
    return writesAtLastReset_;
}

int TestAudioDevice::misuses() const
{
    std::lock_guard lock(mutex_);
    return misuses_;
}
