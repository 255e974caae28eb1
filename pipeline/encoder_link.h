// Puts the script text into the encoder's Script panel the way a user would:
// a click on the panel's first control, the text set into its fifth, a click
// on its sixth.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "common/outcome_cell.h"
#include "pipeline/answer_time_limit.h"
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

// How long one message to the encoder may go unanswered. A live encoder
// answers a click or a text in milliseconds; one that takes a second has
// stopped answering, and its track's delivery is given up.
inline constexpr std::chrono::milliseconds kEncoderAnswerTimeout{1000};

class EncoderLink {
 public:
  explicit EncoderLink(WindowOps& windows, std::chrono::milliseconds answerTimeout = kEncoderAnswerTimeout)
      : windows_(windows), answerTime_(answerTimeout) {}

  // Sends nothing when any window on the way to the panel's sixth control is
  // missing, and nothing more for this text once a message goes unanswered.
  // ANSI bytes go as an ANSI WM_SETTEXT, UTF-16 as a Unicode one. The
  // outcome is kept for the settings dialog.
  EncoderOutcome deliverToEncoder(const AnsiOrWide& text);

  // The last delivery's outcome, from any thread.
  Recorded<EncoderOutcome> status() const { return status_.load(); }

  // From any thread, for quit: from now on no message waits past
  // `deadline`, and none is sent after it.
  void endWaitsBy(AnswerTimeLimit::Clock::time_point deadline) { answerTime_.endBy(deadline); }

 private:
  using Controls = std::array<WindowHandle, 6>;
  std::optional<Controls> findPanelControls();
  // Each answers what the first unanswered message says, or delivered.
  EncoderOutcome click(WindowHandle control);
  EncoderOutcome setText(WindowHandle control, const AnsiOrWide& text);
  EncoderOutcome outcomeOf(WindowHandle control, const SendResult& result);
  // One message, within its time; not sent at all once quit's time is up.
  SendResult send(WindowHandle control, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                  bool wide = false);

  WindowOps& windows_;
  AnswerTimeLimit answerTime_;
  OutcomeCell<EncoderOutcome> status_;
};

}  // namespace tavrik
