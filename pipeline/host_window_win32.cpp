#include "pipeline/host_window_win32.h"

#include "common/module_services_win32.h"

namespace tavrik {

namespace {

// The host window's procedure as it was before the hook; null while no hook
// is installed.
WNDPROC previousWndProc = nullptr;
// Whether the hook went in with the wide functions. A Unicode window hooked
// with the ANSI ones would have every title pass through the ANSI code page
// on its way to the host's own procedure, and lose what the page cannot hold.
bool hookedWide = false;
std::function<void()> activeHandling;

LRESULT CALLBACK HostWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT && activeHandling) {
    // Nothing may escape into the host: the message goes on whatever happened.
    try {
      activeHandling();
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

}  // namespace

void installHostWindowHook(HWND host) {
  hookedWide = IsWindowUnicode(host) != FALSE;
  // Already in front: hooking again would make the hook its own former
  // procedure, which calls itself for ever.
  auto current = reinterpret_cast<WNDPROC>(hookedWide ? GetWindowLongPtrW(host, GWLP_WNDPROC)
                                                      : GetWindowLongPtrA(host, GWLP_WNDPROC));
  if (current == &HostWindowHook) return;
  auto hook = reinterpret_cast<LONG_PTR>(&HostWindowHook);
  previousWndProc = reinterpret_cast<WNDPROC>(hookedWide ? SetWindowLongPtrW(host, GWLP_WNDPROC, hook)
                                                         : SetWindowLongPtrA(host, GWLP_WNDPROC, hook));
}

void setTitleChangeHandling(std::function<void()> handling) { activeHandling = std::move(handling); }

bool releaseHostWindow(HWND host) {
  activeHandling = nullptr;
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

std::intptr_t Win32HostRequests::currentListPosition() {
  return static_cast<std::intptr_t>(SendMessageA(host_, WM_USER, 0, IPC_GETLISTPOS));
}

const char16_t* Win32HostRequests::playlistFileWide(std::intptr_t index) {
  // Older hosts answer 0 to a request they do not know.
  return reinterpret_cast<const char16_t*>(
      SendMessageA(host_, WM_USER, static_cast<WPARAM>(index), IPC_GETPLAYLISTFILEW));
}

const char* Win32HostRequests::playlistFile(std::intptr_t index) {
  // The answer is the host's own text; the handler copies it at once.
  return reinterpret_cast<const char*>(
      SendMessageA(host_, WM_USER, static_cast<WPARAM>(index), IPC_GETPLAYLISTFILE));
}

const char16_t* Win32HostRequests::playlistTitleWide(std::intptr_t index) {
  return reinterpret_cast<const char16_t*>(
      SendMessageA(host_, WM_USER, static_cast<WPARAM>(index), IPC_GETPLAYLISTTITLEW));
}

const char* Win32HostRequests::playlistTitle(std::intptr_t index) {
  return reinterpret_cast<const char*>(
      SendMessageA(host_, WM_USER, static_cast<WPARAM>(index), IPC_GETPLAYLISTTITLE));
}

std::intptr_t Win32HostRequests::playbackStatus() {
  return static_cast<std::intptr_t>(SendMessageA(host_, WM_USER, 0, IPC_ISPLAYING));
}

}  // namespace tavrik
