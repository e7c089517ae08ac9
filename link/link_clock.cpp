#include "link/link_clock.h"

#include <atomic>
#include <chrono>
#include <thread>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace {

// Milliseconds of the steady clock, cut to 32 bits like a hardware tick
// counter; callers only ever take unsigned differences of two readings.
class SteadyLinkClock final : public LinkClock {
public:
    uint32_t nowMs() override {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
        return static_cast<uint32_t>(ms.count());
    }
    void sleepMs(int milliseconds) override {
        if (milliseconds <= 0) return;
        preciseWakeups();
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }

private:
    // The default timer slack of 50 us lets each pause run late by that much
    // on top of the wake-up latency; a request takes eight pauses, so ask the
    // kernel once per pausing thread to wake it on time.
    static void preciseWakeups() {
#ifdef __linux__
        thread_local bool done = false;
        if (!done) {
            (void)prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
            done = true;
        }
#endif
    }
};

SteadyLinkClock steadyClock;
// The simulator's thread may read the clock while a test swaps it, hence atomic.
std::atomic<LinkClock*> installedClock{nullptr};

}  // namespace

LinkClock& linkClock() {
    if (LinkClock* clock = installedClock.load(std::memory_order_acquire)) return *clock;
    return steadyClock;
}

void setLinkClock(LinkClock* clock) { installedClock.store(clock, std::memory_order_release); }

void Sleep(int milliseconds) { linkClock().sleepMs(milliseconds); }
