// What each output beside the encoder is to the plug-in's thread: when it
// has something to do next, doing it, and its goodbye at quit. The thread
// goes over them in one list, in its order; each reads what is to show from
// the caption state itself.
#pragma once

#include <chrono>
#include <optional>

namespace tavrik {

class Output {
 public:
  using Clock = std::chrono::steady_clock;
  virtual ~Output() = default;

  // At once (the earliest time there is) after a change of what it shows;
  // a later time for a retry or a timer; else never.
  virtual std::optional<Clock::time_point> dueAt() const = 0;
  virtual void perform(Clock::time_point now) = 0;
  // At quit, once the plug-in's thread has ended: whatever the output still
  // sends on a thread of its own goes, or is given up, by `deadline`.
  virtual void finish(Clock::time_point /*deadline*/) {}
};

}  // namespace tavrik
