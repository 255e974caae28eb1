// Puts the script text into the encoder's Script panel the way a user would:
// a click on the panel's first control, the text set into its fifth, a click
// on its sixth.
#pragma once

#include <array>
#include <optional>

#include "pipeline/title_change_ports.h"
#include "pipeline/window_ops.h"

namespace tavrik {

class EncoderLink {
 public:
  explicit EncoderLink(WindowOps& windows) : windows_(windows) {}

  // Sends nothing when any window on the way to the panel's sixth control is
  // missing, and nothing more for this text once a message goes unanswered.
  // ANSI bytes go as an ANSI WM_SETTEXT, UTF-16 as a Unicode one.
  void deliverToEncoder(const ScriptText& text);

 private:
  using Controls = std::array<WindowHandle, 6>;
  std::optional<Controls> findPanelControls();
  bool click(WindowHandle control);
  bool setText(WindowHandle control, const ScriptText& text);

  WindowOps& windows_;
};

}  // namespace tavrik
