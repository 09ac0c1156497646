#include "SongFactsReader.h"

#include <utility>

SongFactsReader::SongFactsReader(std::function<void()> ready, Read read)
    : ready_(std::move(ready)), read_(std::move(read)), thread_([this] { run(); })
{
}

void SongFactsReader::stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void SongFactsReader::want(const std::vector<std::string>& paths)
{
    {
        std::lock_guard lock(mutex_);
        waiting_.clear();
        for (const std::string& path : paths)
            if (!taken_.contains(path)) waiting_.push_back(path);
    }
    wake_.notify_all();
}

void SongFactsReader::wantFirst(const std::vector<std::string>& paths)
{
    {
        std::lock_guard lock(mutex_);
        for (auto path = paths.rbegin(); path != paths.rend(); ++path)
            if (!taken_.contains(*path)) waiting_.push_front(*path);
    }
    wake_.notify_all();
}

std::vector<SongFactsReader::Found> SongFactsReader::take()
{
    std::lock_guard lock(mutex_);
    readyTold_ = false;
    return std::exchange(found_, {});
}

bool SongFactsReader::busy() const
{
    std::lock_guard lock(mutex_);
    return reading_ || !waiting_.empty();
}

void SongFactsReader::run()
{
    const FactsStopCheck stopped = [this] {
        std::lock_guard lock(mutex_);
        return stopping_;
    };
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
        if (stopping_) return;
        std::string path = std::move(waiting_.front());
        waiting_.pop_front();
        // Wanted twice (first, and in its order): read once.
        if (!taken_.insert(path).second) continue;
        reading_ = true;
        lock.unlock();
        SongFacts facts = read_(path, stopped);
        lock.lock();
        reading_ = false;
        if (stopping_) return;
        found_.push_back({std::move(path), std::move(facts)});
        if (readyTold_) continue;
        readyTold_ = true;
        lock.unlock();
        ready_();
        lock.lock();
    }
}
