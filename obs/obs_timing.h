// The clock and the pause between tries of the OBS output's thread, given
// to it so that tests can follow its timing without waiting.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace tavrik {

class ObsTiming {
 public:
  using Clock = std::chrono::steady_clock;
  virtual ~ObsTiming() = default;
  virtual Clock::time_point now() = 0;
  // Waits on `changed` (with `lock` held around it) until `length` has
  // passed or `cut()` holds.
  virtual void pause(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
                     std::chrono::milliseconds length, const std::function<bool()>& cut) = 0;
};

class SteadyObsTiming final : public ObsTiming {
 public:
  Clock::time_point now() override { return Clock::now(); }
  void pause(std::unique_lock<std::mutex>& lock, std::condition_variable& changed, std::chrono::milliseconds length,
             const std::function<bool()>& cut) override {
    changed.wait_for(lock, length, cut);
  }
};

// The growing pause between tries: 250 ms, doubled after each failure up to
// 4 s, back to the start after a success. An OBS started at any moment is
// found within 5 s, the try's own time included.
class RetryPause {
 public:
  static constexpr std::chrono::milliseconds kFirst{250};
  static constexpr std::chrono::milliseconds kLongest{4000};
  std::chrono::milliseconds next() {
    const std::chrono::milliseconds pause = next_;
    next_ = std::min(next_ * 2, kLongest);
    return pause;
  }
  void reset() { next_ = kFirst; }

 private:
  std::chrono::milliseconds next_ = kFirst;
};

}  // namespace tavrik
