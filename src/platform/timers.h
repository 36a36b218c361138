// The window's two periodic timers, driven by the event loop.
#pragma once

#include <cstdint>

namespace sw {

// A periodic timer that fires at most once per check: a late timer fires
// once and starts its next period from now, never a burst of catch-up.
class PeriodicTimer {
  public:
    void Start(uint64_t now, uint32_t interval) {
        interval_ = interval;
        due_ = now + interval;
        paused_ = false;
    }
    void Stop() { interval_ = 0; }
    bool Running() const { return interval_ > 0 && !paused_; }
    // While the window is away the timer stands still: it keeps what was
    // left of its period and goes on with exactly that when resumed, so
    // the time away neither counts nor comes back as a burst.
    void Pause(uint64_t now) {
        if (!Running()) return;
        left_ = due_ > now ? due_ - now : 0;
        paused_ = true;
    }
    void Resume(uint64_t now) {
        if (!paused_) return;
        paused_ = false;
        due_ = now + left_;
    }
    // True when the timer fires at time now.
    bool Fire(uint64_t now) {
        if (!Running() || now < due_) return false;
        due_ += interval_;
        if (due_ <= now) due_ = now + interval_;
        return true;
    }
    // Milliseconds until it is due (0 if due), or limit if it is stopped.
    uint64_t Wait(uint64_t now, uint64_t limit) const {
        if (!Running()) return limit;
        if (due_ <= now) return 0;
        return due_ - now < limit ? due_ - now : limit;
    }

  private:
    uint32_t interval_ = 0;
    uint64_t due_ = 0, left_ = 0;
    bool paused_ = false;
};

}  // namespace sw
