#include "pipeline/window_ops_win32.h"

namespace tavrik {

WindowHandle Win32WindowOps::findTopLevel(const char* className) {
  return FindWindowA(className, nullptr);
}

WindowHandle Win32WindowOps::findChild(WindowHandle parent, WindowHandle after,
                                       const char* className, const char* name) {
  return FindWindowExA(static_cast<HWND>(parent), static_cast<HWND>(after), className, name);
}

bool Win32WindowOps::send(WindowHandle window, unsigned message, std::uintptr_t wParam,
                          std::intptr_t lParam) {
  // SMTO_NORMAL, not SMTO_BLOCK: while it waits, the host's interface thread
  // still answers messages that other threads send to it, as a plain
  // SendMessageA would. With SMTO_BLOCK every thread that sends to the host
  // (its own playback thread retitling the window among them) would stall
  // behind the encoder, and an encoder that sends back to the host while it
  // handles our message would deadlock until the time-out. A retitling that
  // comes in during the wait is deferred by the title-change handler, so the
  // newer track's text still comes last.
  // SMTO_ABORTIFHUNG: an encoder that Windows already knows to be hung costs
  // nothing at all, not even the time-out.
  DWORD_PTR answer = 0;
  return SendMessageTimeoutA(static_cast<HWND>(window), message, static_cast<WPARAM>(wParam),
                             static_cast<LPARAM>(lParam), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                             timeoutMs_, &answer) != 0;
}

}  // namespace tavrik
