// The hook in front of the host's main window procedure, and the host's two
// playlist requests.
#pragma once

#include <windows.h>

#include "pipeline/title_change_handler.h"

namespace tavrik {

// The host window's procedure as it was before the hook.
extern WNDPROC previousWndProc;

// The handling the hook runs on WM_SETTEXT; null runs none.
void setTitleChangeHandler(TitleChangeHandler* handler);

// Runs the title-change handling for WM_SETTEXT, then passes every message,
// unchanged, to previousWndProc and answers what it answered.
LRESULT CALLBACK HostWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Puts HostWindowHook in front of `host`'s procedure, keeping the former one.
void installHostWindowHook(HWND host);

// Gives `host` its former procedure back, but only while the hook is still
// the window's procedure: when another module subclassed after us, restoring
// would cut it off, and the answer is false.
bool removeHostWindowHook(HWND host);

class Win32HostRequests final : public HostRequests {
 public:
  explicit Win32HostRequests(HWND host) : host_(host) {}
  std::intptr_t currentListPosition() override;
  const char* playlistFile(std::intptr_t index) override;

 private:
  HWND host_;
};

}  // namespace tavrik
