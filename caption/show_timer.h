// How long an output shows a caption: `show_for` seconds from the change,
// then hidden until the next change, which starts its own seconds, so an
// older caption's time never hides a newer one early. 0 seconds: always
// shown.
#pragma once

#include <chrono>
#include <optional>

namespace tavrik {

class ShowTimer {
 public:
  using Clock = std::chrono::steady_clock;

  // A new caption shows from `now`.
  void changed(Clock::time_point now, unsigned long seconds) {
    hidden_ = false;
    hideAt_ = seconds ? std::optional<Clock::time_point>(now + std::chrono::seconds(seconds)) : std::nullopt;
  }
  // True the first time it is asked once the seconds are over; hidden()
  // stays true from then until the next change.
  bool hidesNow(Clock::time_point now) {
    if (!hideAt_ || now < *hideAt_) return false;
    hideAt_.reset();
    hidden_ = true;
    return true;
  }
  bool hidden() const { return hidden_; }
  // When the caption is to hide; never while it shows for good or hid.
  std::optional<Clock::time_point> hideAt() const { return hideAt_; }
  void reset() { *this = ShowTimer(); }

 private:
  std::optional<Clock::time_point> hideAt_;
  bool hidden_ = false;
};

}  // namespace tavrik
