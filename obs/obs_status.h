// The OBS output's last outcome, for a settings dialog to show: written by
// the connection's thread, read from any thread without a lock or a wait.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace tavrik {

enum class ObsOutcome : std::uint8_t {
  nothingYet,       // off, or nothing tried since the settings last changed
  textSet,          // OBS took the newest text
  notRunning,       // no connection: nothing listens at the address
  passwordRefused,  // OBS closed the connection: authentication failed (4009)
  noSource,         // OBS has no input of the configured name (600)
  badAddress,       // the configured address names no host and port
  otherFailure,     // anything else; `code` holds OBS's close or status code
};

struct ObsStatus {
  ObsOutcome outcome = ObsOutcome::nothingYet;
  // The close code or request status code OBS gave, 0 when it gave none.
  int code = 0;
  // When it happened, to the millisecond; the epoch for nothingYet.
  std::chrono::system_clock::time_point at{};
};

// Outcome, code and time in one 64-bit word, so that a reader never sees the
// outcome of one try with the time of another.
class ObsStatusCell {
 public:
  void store(const ObsStatus& status);
  ObsStatus load() const;

 private:
  static_assert(std::atomic<std::uint64_t>::is_always_lock_free, "the status must be read without a lock");
  std::atomic<std::uint64_t> word_{0};
};

}  // namespace tavrik
