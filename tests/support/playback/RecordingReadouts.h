#pragma once

#include <functional>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "PlayerReadouts.h"

// Keeps the readout updates in the order they came, from whichever thread:
// a title each time another song is heard, a time each time the second
// shown changes.
class RecordingReadouts : public PlayerReadouts {
public:
    // Called on the teller's thread before an update is kept: a test holds
    // the player thread there to ask something at a known point. Set it
    // before the player starts.
    std::function<void(const Audible&)> beforeShowing;

    void showAudible(const Audible& audible) override
    {
        if (beforeShowing) beforeShowing(audible);
        std::lock_guard lock(mutex_);
        if (audible.song != last_.song) titles_.push_back(audible.path);
        if (audible.song != last_.song || audible.positionSeconds != last_.positionSeconds)
            times_.push_back(audible.positionSeconds);
        last_ = audible;
    }
    void setSampleRateNumber(int kiloHertz) override { add(sampleRates_, kiloHertz); }
    void setBitrateNumber(int kbps) override { add(bitrates_, kbps); }
    void showPaused(bool paused) override { add(pauseLooks_, paused); }
    void showListChanged(std::uint64_t version) override { add(listVersions_, version); }

    std::vector<std::string> titles() const { return get(titles_); }
    std::vector<int> sampleRates() const { return get(sampleRates_); }
    std::vector<int> bitrates() const { return get(bitrates_); }
    std::vector<int> times() const { return get(times_); }
    std::vector<bool> pauseLooks() const { return get(pauseLooks_); }
    std::vector<std::uint64_t> listVersions() const { return get(listVersions_); }
    Audible last() const
    {
        std::lock_guard lock(mutex_);
        return last_;
    }

private:
    template <typename T>
    void add(std::vector<T>& list, const T& value)
    {
        std::lock_guard lock(mutex_);
        list.push_back(value);
    }
    template <typename T>
    std::vector<T> get(const std::vector<T>& list) const
    {
        std::lock_guard lock(mutex_);
        return list;
    }

    mutable std::mutex mutex_;
    Audible last_;
    std::vector<std::string> titles_;
    std::vector<int> sampleRates_;
    std::vector<int> bitrates_;
    std::vector<int> times_;
    std::vector<bool> pauseLooks_;
    std::vector<std::uint64_t> listVersions_;
};
