#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "PlayerReadouts.h"

// Keeps the readout updates in the order they came, from whichever thread.
class RecordingReadouts : public PlayerReadouts {
public:
    void setTitle(const std::string& path) override { add(titles_, path); }
    void setSampleRateNumber(int kiloHertz) override { add(sampleRates_, kiloHertz); }
    void setBitrateNumber(int kbps) override { add(bitrates_, kbps); }
    void setTime(int seconds) override { add(times_, seconds); }
    void showPaused(bool paused) override { add(pauseLooks_, paused); }
    void repaintSeekBar() override
    {
        std::lock_guard lock(mutex_);
        ++seekBarRepaints_;
    }

    std::vector<std::string> titles() const { return get(titles_); }
    std::vector<int> sampleRates() const { return get(sampleRates_); }
    std::vector<int> bitrates() const { return get(bitrates_); }
    std::vector<int> times() const { return get(times_); }
    std::vector<bool> pauseLooks() const { return get(pauseLooks_); }
    int seekBarRepaints() const
    {
        std::lock_guard lock(mutex_);
        return seekBarRepaints_;
    }

private:
    template <typename T> void add(std::vector<T>& list, const T& value)
    {
        std::lock_guard lock(mutex_);
        list.push_back(value);
    }
    template <typename T> std::vector<T> get(const std::vector<T>& list) const
    {
        std::lock_guard lock(mutex_);
        return list;
    }

    mutable std::mutex mutex_;
    std::vector<std::string> titles_;
    std::vector<int> sampleRates_;
    std::vector<int> bitrates_;
    std::vector<int> times_;
    std::vector<bool> pauseLooks_;
    int seekBarRepaints_ = 0;
};
