#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "UserMessages.h"

// Keeps every message box instead of showing it; ask() gives a set answer.
class RecordingMessages : public UserMessages {
public:
    struct Message {
        std::string caption;
        std::string text;
        MessageIcon icon;
        MessageButtons buttons;
        bool waited;
    };

    MessageAnswer ask(const std::string& caption, const std::string& text, MessageIcon icon,
                      MessageButtons buttons) override
    {
        std::lock_guard lock(mutex_);
        messages_.push_back({caption, text, icon, buttons, true});
        return answer_;
    }

    void post(const std::string& caption, const std::string& text, MessageIcon icon) override
    {
        std::lock_guard lock(mutex_);
        messages_.push_back({caption, text, icon, MessageButtons::ok, false});
    }

    void setAnswer(MessageAnswer answer)
    {
        std::lock_guard lock(mutex_);
        answer_ = answer;
    }

    void clear()
    {
        std::lock_guard lock(mutex_);
        messages_.clear();
    }

    std::vector<Message> messages() const
    {
        std::lock_guard lock(mutex_);
        return messages_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<Message> messages_;
    MessageAnswer answer_ = MessageAnswer::ok;
};
