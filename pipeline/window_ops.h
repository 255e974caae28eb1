// The few window operations the encoder delivery needs: finding windows by
// class and name, and sending a message that may go unanswered.
#pragma once

#include <cstdint>

namespace tavrik {

class WindowOps {
 public:
  // A window handle, opaque to the logic.
  using Window = void*;

  virtual ~WindowOps() = default;

  // The first top-level window of `className`, whatever its name; null if none.
  virtual Window findTopLevel(const char* className) = 0;

  // The first child of `parent` after `after` (null: from the first child)
  // whose class and name fit; a null class or name fits any. Null if none.
  virtual Window findChild(Window parent, Window after, const char* className,
                           const char* name) = 0;

  // Sends `message` and waits for the answer, but not for ever: false when
  // the window did not answer in time or could not be reached.
  virtual bool send(Window window, unsigned message, std::uintptr_t wParam,
                    std::intptr_t lParam) = 0;
};

}  // namespace tavrik
