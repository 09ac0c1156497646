#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "Playlist.h"

// Keeps every text a playlist told, from whichever thread loaded it.
class RecordedNotices {
public:
    ListNotice notice()
    {
        return [this](const std::string& text) {
            std::lock_guard lock(mutex_);
            texts_.push_back(text);
        };
    }

    std::vector<std::string> texts() const
    {
        std::lock_guard lock(mutex_);
        return texts_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;
};
