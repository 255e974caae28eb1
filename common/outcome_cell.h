// The last outcome of one output and when it came, written by the thread that
// tried and read by the settings dialog on the player's thread, without a
// lock or a wait: the whole record is one lock-free 64-bit word, so a reader
// never sees the outcome of one try with the time of another.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace tavrik {

template <typename Outcome>
struct Recorded {
  Outcome outcome{};  // its first value says nothing was tried yet
  // A code that says more (a system error, a close or status code); 0 when
  // there is none. Kept up to 0xFFFF.
  int code = 0;
  std::chrono::system_clock::time_point at{};
};

template <typename Outcome>
class OutcomeCell {
 public:
  void store(const Recorded<Outcome>& record) {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(record.at.time_since_epoch()).count();
    const std::uint64_t time = ms < 0 ? 0 : static_cast<std::uint64_t>(ms) & kTimeMask;
    const std::uint64_t code = record.code < 0 || record.code > 0xFFFF ? 0 : static_cast<std::uint64_t>(record.code);
    word_.store(static_cast<std::uint64_t>(record.outcome) | code << kCodeShift | time << kTimeShift,
                std::memory_order_release);
  }
  // Now, with `code`.
  void record(Outcome outcome, int code = 0) { store({outcome, code, std::chrono::system_clock::now()}); }

  Recorded<Outcome> load() const {
    using namespace std::chrono;
    const std::uint64_t word = word_.load(std::memory_order_acquire);
    Recorded<Outcome> record;
    record.outcome = static_cast<Outcome>(word & 0xF);
    record.code = static_cast<int>(word >> kCodeShift & 0xFFFF);
    record.at = system_clock::time_point(
        duration_cast<system_clock::duration>(milliseconds(static_cast<long long>(word >> kTimeShift))));
    return record;
  }

 private:
  // 4 bits of outcome, 16 of code, 44 of milliseconds since 1970 (enough
  // until the year 2527).
  static constexpr int kCodeShift = 4;
  static constexpr int kTimeShift = 20;
  static constexpr std::uint64_t kTimeMask = (std::uint64_t{1} << 44) - 1;
  static_assert(std::atomic<std::uint64_t>::is_always_lock_free, "the outcome must be read without a lock");
  std::atomic<std::uint64_t> word_{0};
};

}  // namespace tavrik
