#include "pipeline/host_window_hook_win32.h"

namespace tavrik {

namespace {

// The host window's procedure as it was before the hook; null while no hook
// is installed.
WNDPROC previousWndProc = nullptr;
// Whether the hook went in with the wide functions. A Unicode window hooked
// with the ANSI ones would have every title pass through the ANSI code page
// on its way to the host's own procedure, and lose what the page cannot hold.
bool hookedWide = false;
TitleChangeHandler* activeHandler = nullptr;

LRESULT CALLBACK HostWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT && activeHandler) {
    // Nothing may escape into the host: the message goes on whatever happened.
    try {
      activeHandler->onTitleChange();
    } catch (...) {
    }
  }
  if (hookedWide) {
    if (!previousWndProc) return DefWindowProcW(window, message, wParam, lParam);
    return CallWindowProcW(previousWndProc, window, message, wParam, lParam);
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
  hookedWide = IsWindowUnicode(host) != FALSE;
  auto hook = reinterpret_cast<LONG_PTR>(&HostWindowHook);
  previousWndProc = reinterpret_cast<WNDPROC>(hookedWide ? SetWindowLongPtrW(host, GWLP_WNDPROC, hook)
                                                         : SetWindowLongPtrA(host, GWLP_WNDPROC, hook));
}

void setTitleChangeHandler(TitleChangeHandler* handler) { activeHandler = handler; }

bool releaseHostWindow(HWND host) {
  activeHandler = nullptr;
  if (!previousWndProc) return true;
  // Read and written with the kind the hook went in with: the other kind
  // could answer a translating stand-in for our procedure instead of it.
  auto current = reinterpret_cast<WNDPROC>(hookedWide ? GetWindowLongPtrW(host, GWLP_WNDPROC)
                                                      : GetWindowLongPtrA(host, GWLP_WNDPROC));
  if (current != &HostWindowHook) {
    pinThisModule();
    return false;
  }
  auto previous = reinterpret_cast<LONG_PTR>(previousWndProc);
  if (hookedWide) {
    SetWindowLongPtrW(host, GWLP_WNDPROC, previous);
  } else {
    SetWindowLongPtrA(host, GWLP_WNDPROC, previous);
  }
  previousWndProc = nullptr;
  return true;
}

}  // namespace tavrik
