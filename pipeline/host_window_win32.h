// The host's main window, as the plug-in meets it on the host's thread: the
// hook in front of its procedure (the title-change handling runs on
// WM_SETTEXT, then every message goes on, unchanged, to the procedure that
// was there before, and its answer comes back unchanged), and the requests
// sent to it: WM_USER with the request's number in lParam, under the host
// interface's own names.
#pragma once

#include <windows.h>

#include <functional>

#include "pipeline/title_change_ports.h"

namespace tavrik {

inline constexpr LPARAM IPC_ISPLAYING = 104;
inline constexpr LPARAM IPC_GETLISTPOS = 125;
inline constexpr LPARAM IPC_GETPLAYLISTFILE = 211;
inline constexpr LPARAM IPC_GETPLAYLISTTITLE = 212;
inline constexpr LPARAM IPC_GETPLAYLISTTITLEW = 213;
inline constexpr LPARAM IPC_GETPLAYLISTFILEW = 214;

class Win32HostRequests final : public HostRequests {
 public:
  explicit Win32HostRequests(HWND host) : host_(host) {}
  std::intptr_t currentListPosition() override;
  const char16_t* playlistFileWide(std::intptr_t index) override;
  const char* playlistFile(std::intptr_t index) override;
  const char16_t* playlistTitleWide(std::intptr_t index) override;
  const char* playlistTitle(std::intptr_t index) override;
  std::intptr_t playbackStatus() override;

 private:
  HWND host_;
};

// Puts the hook in front of `host`'s procedure, with the wide window
// functions when `host` is a Unicode window and the ANSI ones otherwise, so
// that every message reaches the host's procedure as it was sent. Until a
// handler is set it passes every message straight on.
void installHostWindowHook(HWND host);

// The handling the hook runs on WM_SETTEXT, before the message goes on; an
// empty one runs none.
void setTitleChangeHandling(std::function<void()> handling);

// Stops the handling and gives `host` its former procedure back. When another
// module subclassed the window after us, restoring would cut it off: the hook
// then stays as a pass-through and this module is pinned, so that the window
// never calls into unloaded code; the answer is false. Without a hook in
// place it only stops the handling.
bool releaseHostWindow(HWND host);

}  // namespace tavrik
