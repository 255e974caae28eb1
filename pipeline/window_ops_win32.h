// The window operations over user32: FindWindowA, FindWindowExA and
// SendMessageTimeoutA (SendMessageTimeoutW for Unicode texts); and the
// integrity levels of the encoder's process and ours, over advapi32.
#pragma once

#include <windows.h>

#include <chrono>

#include "pipeline/window_ops.h"

namespace tavrik {

class Win32WindowOps final : public WindowOps {
 public:
  WindowHandle findTopLevel(const char* className) override;
  WindowHandle findChild(WindowHandle parent, WindowHandle after, const char* className,
                         const char* name) override;
  SendResult send(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                  std::chrono::milliseconds wait) override;
  SendResult sendWide(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                      std::chrono::milliseconds wait) override;
  RightsComparison rightsOf(WindowHandle window) override;

 private:
  // SendMessageTimeoutA or SendMessageTimeoutW: the same wait, for ANSI or
  // Unicode texts.
  using SendWithTimeout = decltype(&SendMessageTimeoutA);
  SendResult sendWaiting(SendWithTimeout sendWithTimeout, WindowHandle window, unsigned message,
                         std::uintptr_t wParam, std::intptr_t lParam, std::chrono::milliseconds wait);
};

}  // namespace tavrik
