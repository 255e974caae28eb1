#include "pipeline/host_window_hook_win32.h"

namespace tavrik {

namespace {

// The host window's procedure as it was before the hook; null while no hook
// is installed.
WNDPROC previousWndProc = nullptr;
TitleChangeHandler* activeHandler = nullptr;

LRESULT CALLBACK HostWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT && activeHandler) {
    // Nothing may escape into the host: the message goes on whatever happened.
    try {
      activeHandler->onTitleChange();
    } catch (...) {
    }
  }
  if (!previousWndProc) return DefWindowProcA(window, message, wParam, lParam);
  return CallWindowProcA(previousWndProc, window, message, wParam, lParam);
}

void pinThisModule() {
  HMODULE pinned = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                     reinterpret_cast<LPCSTR>(&HostWindowHook), &pinned);
}

}  // namespace

void installHostWindowHook(HWND host) {
  previousWndProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostWindowHook)));
}

void setTitleChangeHandler(TitleChangeHandler* handler) { activeHandler = handler; }

bool releaseHostWindow(HWND host) {
  activeHandler = nullptr;
  if (!previousWndProc) return true;
  auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(host, GWLP_WNDPROC));
  if (current != &HostWindowHook) {
    pinThisModule();
    return false;
  }
  SetWindowLongPtrA(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousWndProc));
  previousWndProc = nullptr;
  return true;
}

}  // namespace tavrik
