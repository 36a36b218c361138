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
    }
    void Stop() { interval_ = 0; }
    bool Running() const { return interval_ > 0; }
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
    uint64_t due_ = 0;
};

}  // namespace sw
