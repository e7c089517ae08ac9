#pragma once
// Millisecond counter and blocking pause used by the link. Replaceable so that
// tests can drive the counter across its 32-bit wrap without waiting days.
#include <cstdint>

class LinkClock {
public:
    virtual ~LinkClock() = default;
    virtual uint32_t nowMs() = 0;          // wraps after 2^32 ms
    virtual void sleepMs(int milliseconds) = 0;
};

// The clock in use; the steady system clock unless a test installed another.
LinkClock& linkClock();
// Installs a clock (not owned); nullptr goes back to the system clock.
void setLinkClock(LinkClock* clock);

// Blocking pause of the calling thread; no window messages are processed.
void Sleep(int milliseconds);
