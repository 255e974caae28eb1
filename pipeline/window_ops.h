// The few window operations the encoder delivery needs: finding windows by
// class and name, and sending a message that may go unanswered.
#pragma once

#include <cstdint>

#include "pipeline/title_change_ports.h"

namespace tavrik {

class WindowOps {
 public:
  virtual ~WindowOps() = default;

  // The first top-level window of `className`, whatever its name; null if none.
  virtual WindowHandle findTopLevel(const char* className) = 0;

  // The first child of `parent` after `after` (null: from the first child)
  // whose class and name fit; a null class or name fits any. Null if none.
  virtual WindowHandle findChild(WindowHandle parent, WindowHandle after,
                                 const char* className, const char* name) = 0;

  // Sends `message` and waits for the answer, but not for ever: false when
  // the window did not answer in time or could not be reached.
  virtual bool send(WindowHandle window, unsigned message, std::uintptr_t wParam,
                    std::intptr_t lParam) = 0;
  // The same as a Unicode message: a text it points to is UTF-16.
  virtual bool sendWide(WindowHandle window, unsigned message, std::uintptr_t wParam,
                        std::intptr_t lParam) = 0;
};

}  // namespace tavrik
