#include "pipeline/host_requests_win32.h"

namespace tavrik {

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
