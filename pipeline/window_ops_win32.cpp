#include "pipeline/window_ops_win32.h"

namespace tavrik {

WindowHandle Win32WindowOps::findTopLevel(const char* className) {
  return FindWindowA(className, nullptr);
}

WindowHandle Win32WindowOps::findChild(WindowHandle parent, WindowHandle after,
                                       const char* className, const char* name) {
  return FindWindowExA(static_cast<HWND>(parent), static_cast<HWND>(after), className, name);
}

bool Win32WindowOps::sendWaiting(SendWithTimeout sendWithTimeout, WindowHandle window,
                                 unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  const std::chrono::milliseconds wait =
      answerTime_.forMessageSentAt(AnswerTimeLimit::Clock::now());
  if (wait.count() == 0) return false;
  // The sender is the plug-in's delivery thread, which owns no window: no
  // other thread or program sends to it, and it has nothing to answer while
  // it waits. SMTO_BLOCK says so and keeps it from being re-entered; the
  // host's own thread never waits here, so nothing that sends to the host
  // stalls behind the encoder.
  // SMTO_ABORTIFHUNG: an encoder that Windows already knows to be hung costs
  // nothing at all, not even the time-out.
  // Never SMTO_NOTIMEOUTIFNOTHUNG: a busy encoder would then hold the thread,
  // and with it quit, for as long as it takes.
  DWORD_PTR answer = 0;
  return sendWithTimeout(static_cast<HWND>(window), message, static_cast<WPARAM>(wParam),
                         static_cast<LPARAM>(lParam), SMTO_BLOCK | SMTO_ABORTIFHUNG,
                         static_cast<UINT>(wait.count()), &answer) != 0;
}

bool Win32WindowOps::send(WindowHandle window, unsigned message, std::uintptr_t wParam,
                          std::intptr_t lParam) {
  return sendWaiting(&SendMessageTimeoutA, window, message, wParam, lParam);
}

bool Win32WindowOps::sendWide(WindowHandle window, unsigned message, std::uintptr_t wParam,
                              std::intptr_t lParam) {
  return sendWaiting(&SendMessageTimeoutW, window, message, wParam, lParam);
}

}  // namespace tavrik
