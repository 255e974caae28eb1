#include "pipeline/host_window_hook_win32.h"

namespace tavrik {

namespace {
constexpr LPARAM kIpcGetListPos = 125;
constexpr LPARAM kIpcGetPlaylistFile = 211;

TitleChangeHandler* activeHandler = nullptr;
}  // namespace

WNDPROC previousWndProc = nullptr;

void setTitleChangeHandler(TitleChangeHandler* handler) { activeHandler = handler; }

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

void installHostWindowHook(HWND host) {
  previousWndProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostWindowHook)));
}

bool removeHostWindowHook(HWND host) {
  auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(host, GWLP_WNDPROC));
  if (current != &HostWindowHook) return false;
  SetWindowLongPtrA(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousWndProc));
  return true;
}

std::intptr_t Win32HostRequests::currentListPosition() {
  return static_cast<std::intptr_t>(SendMessageA(host_, WM_USER, 0, kIpcGetListPos));
}

const char* Win32HostRequests::playlistFile(std::intptr_t index) {
  // The answer is the host's own text; the handler copies it at once.
  return reinterpret_cast<const char*>(
      SendMessageA(host_, WM_USER, static_cast<WPARAM>(index), kIpcGetPlaylistFile));
}

}  // namespace tavrik
