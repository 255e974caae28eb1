#include "pipeline/encoder_link.h"

#include "common/cp932_texts.h"

namespace tavrik {

namespace {
constexpr unsigned kSetText = 0x000C;         // WM_SETTEXT
constexpr unsigned kLeftButtonDown = 0x0201;  // WM_LBUTTONDOWN
constexpr unsigned kLeftButtonUp = 0x0202;    // WM_LBUTTONUP
constexpr std::uintptr_t kLeftButtonHeld = 1;  // MK_LBUTTON
// x = 1, y = 1 in the control's client area: inside even the smallest button.
constexpr std::intptr_t kClickPoint = 0x00010001;
// The system's error codes after a send that was not answered.
constexpr std::uint32_t kErrorAccessDenied = 5;            // ERROR_ACCESS_DENIED
constexpr std::uint32_t kErrorInvalidWindowHandle = 1400;  // ERROR_INVALID_WINDOW_HANDLE
constexpr std::uint32_t kErrorTimeout = 1460;              // ERROR_TIMEOUT

// Each level is the first window that fits; a later one is never tried.
struct Level {
  const char* className;
  const char* name;
};
constexpr Level kDockPath[] = {
    {"Titan:CScrollWindow", "ScrollDockHolder"},
    {"Titan:CAlignWindow", "MainDock"},
    {"Titan:CAlignWindow", texts::kScriptPanelName},
    {nullptr, nullptr},  // the panel: the Script window's first child
};
}  // namespace

std::optional<EncoderLink::Controls> EncoderLink::findPanelControls() {
  WindowHandle window = windows_.findTopLevel("MS Windows Media Encoder");
  if (!window) return std::nullopt;
  for (const Level& level : kDockPath) {
    window = windows_.findChild(window, nullptr, level.className, level.name);
    if (!window) return std::nullopt;
  }
  Controls controls{};
  WindowHandle previous = nullptr;
  for (WindowHandle& control : controls) {
    control = windows_.findChild(window, previous, nullptr, nullptr);
    if (!control) return std::nullopt;
    previous = control;
  }
  return controls;
}

EncoderOutcome EncoderLink::outcomeOf(WindowHandle control, const SendResult& result) {
  if (result.answered) return EncoderOutcome::delivered;
  // The system's message filter refuses with "access denied"; a window that
  // went away meanwhile has no handle any more; anything else (a time-out,
  // an encoder Windows knows to be hung) went unanswered.
  if (result.error == kErrorInvalidWindowHandle) return EncoderOutcome::noWindow;
  if (result.error == kErrorAccessDenied && windows_.rightsOf(control) != RightsComparison::sameOrLower) {
    return EncoderOutcome::refused;
  }
  return EncoderOutcome::noAnswer;
}

SendResult EncoderLink::send(WindowHandle control, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                             bool wide) {
  const std::chrono::milliseconds wait = answerTime_.forMessageSentAt(AnswerTimeLimit::Clock::now());
  if (wait.count() == 0) return {false, kErrorTimeout};
  return wide ? windows_.sendWide(control, message, wParam, lParam, wait)
              : windows_.send(control, message, wParam, lParam, wait);
}

EncoderOutcome EncoderLink::click(WindowHandle control) {
  EncoderOutcome down = outcomeOf(control, send(control, kLeftButtonDown, kLeftButtonHeld, kClickPoint));
  if (down != EncoderOutcome::delivered) return down;
  return outcomeOf(control, send(control, kLeftButtonUp, 0, kClickPoint));
}

EncoderOutcome EncoderLink::setText(WindowHandle control, const AnsiOrWide& text) {
  if (text.isWide()) {
    return outcomeOf(control, send(control, kSetText, 0, reinterpret_cast<std::intptr_t>(text.wide().c_str()), true));
  }
  return outcomeOf(control, send(control, kSetText, 0, reinterpret_cast<std::intptr_t>(text.ansi().c_str())));
}

EncoderOutcome EncoderLink::deliverToEncoder(const AnsiOrWide& text) {
  EncoderOutcome outcome = EncoderOutcome::noWindow;
  // A panel with fewer than six controls is not the one we know: clicking
  // whatever is there could press some other button of the encoder.
  if (std::optional<Controls> controls = findPanelControls()) {
    const Controls& c = *controls;
    // An unanswered message ends this track's delivery: each further one
    // would cost another time-out. The next track starts afresh with a click
    // on c1.
    outcome = click(c[0]);
    if (outcome == EncoderOutcome::delivered) outcome = setText(c[4], text);
    if (outcome == EncoderOutcome::delivered) outcome = click(c[5]);
  }
  status_.record(outcome);
  return outcome;
}

}  // namespace tavrik
