// The few window operations the encoder delivery needs: finding windows by
// class and name, sending a message that may go unanswered, and telling
// whether a window's program runs with higher rights than ours.
#pragma once

#include <chrono>
#include <cstdint>

#include "pipeline/title_change_ports.h"

namespace tavrik {

// How a message went: answered, or not, with the system's error code for
// why (cleared before the send, so 0 when the system gave none).
struct SendResult {
  bool answered = false;
  std::uint32_t error = 0;
};

// A window's program compared with ours by the integrity level Windows
// gives each process: one running as administrator is above a standard one.
enum class RightsComparison { higher, sameOrLower, unknown };

class WindowOps {
 public:
  virtual ~WindowOps() = default;

  // The first top-level window of `className`, whatever its name; null if none.
  virtual WindowHandle findTopLevel(const char* className) = 0;

  // The first child of `parent` after `after` (null: from the first child)
  // whose class and name fit; a null class or name fits any. Null if none.
  virtual WindowHandle findChild(WindowHandle parent, WindowHandle after,
                                 const char* className, const char* name) = 0;

  // Sends `message` and waits for the answer `wait` at most (more than 0).
  virtual SendResult send(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                          std::chrono::milliseconds wait) = 0;
  // The same as a Unicode message: a text it points to is UTF-16.
  virtual SendResult sendWide(WindowHandle window, unsigned message, std::uintptr_t wParam,
                              std::intptr_t lParam, std::chrono::milliseconds wait) = 0;

  // Asked only after a refused message: costs a few system calls.
  virtual RightsComparison rightsOf(WindowHandle window) = 0;
};

}  // namespace tavrik
