#pragma once

#include <atomic>
#include <cstdint>

// Wakes a thread that waits for a change elsewhere (a free buffer, a request).
// The waiter takes a ticket, checks its condition, and waits only if nothing
// was signalled since the ticket: no signal is lost, and signalling takes no
// lock, so the audio callback can signal for every buffer.
class WakeSignal {
public:
    std::uint32_t ticket() const { return count_.load(std::memory_order_acquire); }

    void wait(std::uint32_t ticket) const { count_.wait(ticket, std::memory_order_acquire); }

    void signal()
    {
        count_.fetch_add(1, std::memory_order_release);
        count_.notify_all();
    }

private:
    std::atomic<std::uint32_t> count_{0};
};
