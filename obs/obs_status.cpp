#include "obs/obs_status.h"

namespace tavrik {
namespace {

// 4 bits of outcome, 16 of code, 44 of milliseconds since 1970 (enough until
// the year 2527).
constexpr int kCodeShift = 4;
constexpr int kTimeShift = 20;
constexpr std::uint64_t kTimeMask = (std::uint64_t{1} << 44) - 1;

}  // namespace

void ObsStatusCell::store(const ObsStatus& status) {
  using namespace std::chrono;
  const auto ms = duration_cast<milliseconds>(status.at.time_since_epoch()).count();
  const std::uint64_t time = ms < 0 ? 0 : static_cast<std::uint64_t>(ms) & kTimeMask;
  // Close codes end at 4999 and status codes at 799; anything wider is no
  // code OBS sends.
  const std::uint64_t code = status.code < 0 || status.code > 0xFFFF ? 0 : static_cast<std::uint64_t>(status.code);
  word_.store(static_cast<std::uint64_t>(status.outcome) | code << kCodeShift | time << kTimeShift,
              std::memory_order_release);
}

ObsStatus ObsStatusCell::load() const {
  using namespace std::chrono;
  const std::uint64_t word = word_.load(std::memory_order_acquire);
  ObsStatus status;
  status.outcome = static_cast<ObsOutcome>(word & 0xF);
  status.code = static_cast<int>(word >> kCodeShift & 0xFFFF);
  status.at = system_clock::time_point(
      duration_cast<system_clock::duration>(milliseconds(static_cast<long long>(word >> kTimeShift))));
  return status;
}

}  // namespace tavrik
