// The OBS output's last outcome, for a settings dialog to show: written by
// the connection's thread, read from any thread without a lock or a wait.
#pragma once

#include <cstdint>

#include "common/outcome_cell.h"

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

// The outcome, the close code or request status code OBS gave (0 when it
// gave none), and when it happened.
using ObsStatus = Recorded<ObsOutcome>;
using ObsStatusCell = OutcomeCell<ObsOutcome>;

}  // namespace tavrik
