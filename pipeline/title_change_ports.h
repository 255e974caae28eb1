// What the title-change handling asks of the host: its window-message
// requests. One Win32 adapter (host_requests_win32); tests use a fake.
#pragma once

#include <cstdint>

#include "common/ansi_or_wide.h"

namespace tavrik {

// A window of the host or of the encoder, opaque to the logic: only the
// Win32 adapters turn it into an HWND.
using WindowHandle = void*;

// The host's window-message requests. Every answer that points at a text
// points at the host's own text, valid only until the host's next change:
// the caller copies it at once.
class HostRequests {
 public:
  virtual ~HostRequests() = default;
  // IPC_GETLISTPOS: the current playlist index.
  virtual std::intptr_t currentListPosition() = 0;
  // IPC_GETPLAYLISTFILEW: the host's UTF-16 text for that entry's path, or
  // null (older hosts know no such request).
  virtual const char16_t* playlistFileWide(std::intptr_t index) = 0;
  // IPC_GETPLAYLISTFILE: the entry's path in ANSI bytes, or null.
  virtual const char* playlistFile(std::intptr_t index) = 0;
  // IPC_GETPLAYLISTTITLEW: the entry's title in UTF-16, or null.
  virtual const char16_t* playlistTitleWide(std::intptr_t index) = 0;
  // IPC_GETPLAYLISTTITLE: the entry's title in ANSI bytes, or null.
  virtual const char* playlistTitle(std::intptr_t index) = 0;
  // IPC_ISPLAYING: 1 playing, 3 paused, 0 stopped.
  virtual std::intptr_t playbackStatus() = 0;
};

}  // namespace tavrik
