// The host's playlist requests: WM_USER sent to its main window with the
// request's number in lParam, under the host interface's own names.
#pragma once

#include <windows.h>

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

}  // namespace tavrik
