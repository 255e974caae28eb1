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
  otherFailure,     // anything else; `code` holds OBS's close code
  noAnswer,         // something listens, but gave no answer in time: a hung OBS
  notObsWebSocket,  // what answered does not speak obs-websocket 5
  requestRefused,   // OBS refused the request; `code` holds its status code
  connectionLost,   // the connection broke in the middle of an exchange
  hashingFailed,    // the system could not compute the password's answer
  // A password is set that OBS does not ask for: identified without it,
  // and, in the second, a text set that way.
  passwordNotAsked,
  textSetPasswordNotAsked,
  // The image source's picture: OBS took the cover file, or has no input
  // of the image source's name.
  coverSet,
  noCoverSource,
};

// The outcome, the close code or request status code OBS gave (0 when it
// gave none), and when it happened.
using ObsStatus = Recorded<ObsOutcome>;
using ObsStatusCell = OutcomeCell<ObsOutcome>;

}  // namespace tavrik
