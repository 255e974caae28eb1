// How long the plug-in's thread waits for each answer of the encoder: the
// usual time-out, cut short at quit so that the thread has ended by quit's
// deadline, however slowly the encoder answers.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <limits>

namespace tavrik {

class AnswerTimeLimit {
 public:
  using Clock = std::chrono::steady_clock;

  explicit AnswerTimeLimit(std::chrono::milliseconds usual) : usual_(usual) {}

  // From any thread: no wait reaches past `deadline`.
  void endBy(Clock::time_point deadline) {
    deadline_.store(deadline.time_since_epoch().count());
  }

  // How long a message sent at `now` may wait for its answer; zero once the
  // deadline has come, and then the message is not sent at all.
  std::chrono::milliseconds forMessageSentAt(Clock::time_point now) const {
    const Clock::time_point deadline{Clock::duration(deadline_.load())};
    if (deadline <= now) return std::chrono::milliseconds(0);
    return std::min(usual_, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now));
  }

 private:
  const std::chrono::milliseconds usual_;
  std::atomic<Clock::rep> deadline_{std::numeric_limits<Clock::rep>::max()};
};

}  // namespace tavrik
