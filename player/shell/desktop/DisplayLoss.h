#pragma once

#include <functional>

// When the connection to the display breaks, the toolkit says so and ends
// the program with exit() on the window thread: global and static state is
// then destroyed while other threads may still use it. While a DisplayLoss
// lives, `beforeExit` runs on that thread when the toolkit says so, before
// exit() begins; there the threads are ended and what can be kept is saved.
// The exit status stays the toolkit's.
class DisplayLoss {
public:
    explicit DisplayLoss(std::function<void()> beforeExit);
    ~DisplayLoss();
    DisplayLoss(const DisplayLoss&) = delete;
    DisplayLoss& operator=(const DisplayLoss&) = delete;
};
