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

bool EncoderLink::click(WindowHandle control) {
  return windows_.send(control, kLeftButtonDown, kLeftButtonHeld, kClickPoint) &&
         windows_.send(control, kLeftButtonUp, 0, kClickPoint);
}

bool EncoderLink::setText(WindowHandle control, const ScriptText& text) {
  if (text.isWide()) {
    return windows_.sendWide(control, kSetText, 0, reinterpret_cast<std::intptr_t>(text.wide().c_str()));
  }
  return windows_.send(control, kSetText, 0, reinterpret_cast<std::intptr_t>(text.ansi().c_str()));
}

void EncoderLink::deliverToEncoder(const ScriptText& text) {
  std::optional<Controls> controls = findPanelControls();
  // A panel with fewer than six controls is not the one we know: clicking
  // whatever is there could press some other button of the encoder.
  if (!controls) return;
  const Controls& c = *controls;
  // An unanswered message ends this track's delivery: each further one would
  // cost the host another time-out. The next track starts afresh with a
  // click on c1.
  if (!click(c[0])) return;
  if (!setText(c[4], text)) return;
  click(c[5]);
}

}  // namespace tavrik
