// The window operations over user32: FindWindowA, FindWindowExA and
// SendMessageTimeoutA.
#pragma once

#include <windows.h>

#include "pipeline/window_ops.h"

namespace tavrik {

// How long one message to the encoder may go unanswered. A live encoder
// answers a click or a text in milliseconds; one that takes a second has
// stopped answering, and the host's interface thread must not wait on it.
constexpr UINT kEncoderAnswerTimeoutMs = 1000;

class Win32WindowOps final : public WindowOps {
 public:
  explicit Win32WindowOps(UINT timeoutMs = kEncoderAnswerTimeoutMs) : timeoutMs_(timeoutMs) {}

  WindowHandle findTopLevel(const char* className) override;
  WindowHandle findChild(WindowHandle parent, WindowHandle after, const char* className,
                         const char* name) override;
  bool send(WindowHandle window, unsigned message, std::uintptr_t wParam,
            std::intptr_t lParam) override;

 private:
  UINT timeoutMs_;
};

}  // namespace tavrik
