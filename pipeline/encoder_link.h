// Puts the script text into the encoder's Script panel the way a user would:
// a click on the panel's first control, the text set into its fifth, a click
// on its sixth.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "common/outcome_cell.h"
#include "pipeline/title_change_ports.h"
#include "pipeline/window_ops.h"

namespace tavrik {

enum class EncoderOutcome : std::uint8_t {
  nothingYet,
  delivered,
  noWindow,  // no encoder window with its Script panel and six controls
  noAnswer,  // a message went unanswered within its time
  // Windows refused the messages: the encoder runs with higher rights than
  // the player (as administrator, say), and only running both the same way
  // cures it.
  refused,
};

class EncoderLink {
 public:
  explicit EncoderLink(WindowOps& windows) : windows_(windows) {}

  // Sends nothing when any window on the way to the panel's sixth control is
  // missing, and nothing more for this text once a message goes unanswered.
  // ANSI bytes go as an ANSI WM_SETTEXT, UTF-16 as a Unicode one. The
  // outcome is kept for the settings dialog.
  EncoderOutcome deliverToEncoder(const ScriptText& text);

  // The last delivery's outcome, from any thread.
  Recorded<EncoderOutcome> status() const { return status_.load(); }

 private:
  using Controls = std::array<WindowHandle, 6>;
  std::optional<Controls> findPanelControls();
  // Each answers what the first unanswered message says, or delivered.
  EncoderOutcome click(WindowHandle control);
  EncoderOutcome setText(WindowHandle control, const ScriptText& text);
  EncoderOutcome outcomeOf(WindowHandle control, const SendResult& result);

  WindowOps& windows_;
  OutcomeCell<EncoderOutcome> status_;
};

}  // namespace tavrik
