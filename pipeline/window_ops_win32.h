// The window operations over user32: FindWindowA, FindWindowExA and
// SendMessageTimeoutA (SendMessageTimeoutW for Unicode texts); and the
// integrity levels of the encoder's process and ours, over advapi32.
#pragma once

#include <windows.h>

#include <chrono>

#include "pipeline/answer_time_limit.h"
#include "pipeline/window_ops.h"

namespace tavrik {

// How long one message to the encoder may go unanswered. A live encoder
// answers a click or a text in milliseconds; one that takes a second has
// stopped answering, and its track's delivery is given up.
constexpr std::chrono::milliseconds kEncoderAnswerTimeout{1000};

class Win32WindowOps final : public WindowOps {
 public:
  explicit Win32WindowOps(std::chrono::milliseconds timeout = kEncoderAnswerTimeout)
      : answerTime_(timeout) {}

  WindowHandle findTopLevel(const char* className) override;
  WindowHandle findChild(WindowHandle parent, WindowHandle after, const char* className,
                         const char* name) override;
  SendResult send(WindowHandle window, unsigned message, std::uintptr_t wParam,
                  std::intptr_t lParam) override;
  SendResult sendWide(WindowHandle window, unsigned message, std::uintptr_t wParam,
                      std::intptr_t lParam) override;
  RightsComparison rightsOf(WindowHandle window) override;

  // From any thread: from now on no message waits past `deadline`, and none
  // is sent after it.
  void endWaitsBy(AnswerTimeLimit::Clock::time_point deadline) { answerTime_.endBy(deadline); }

 private:
  // SendMessageTimeoutA or SendMessageTimeoutW: the same wait, for ANSI or
  // Unicode texts.
  using SendWithTimeout = decltype(&SendMessageTimeoutA);
  SendResult sendWaiting(SendWithTimeout sendWithTimeout, WindowHandle window, unsigned message,
                         std::uintptr_t wParam, std::intptr_t lParam);

  AnswerTimeLimit answerTime_;
};

}  // namespace tavrik
