// The three ports of the title-change handling: what it asks of the host,
// where the tags come from and where the text goes. Each has one Win32
// adapter (host_requests_win32, tag_reader over tag_library_win32,
// encoder_link over window_ops_win32); tests use hand-written fakes.
#pragma once

#include <cstdint>
#include <optional>

#include "common/ansi_or_wide.h"
#include "pipeline/track_tags.h"

namespace tavrik {

// A window of the host or of the encoder, opaque to the logic: only the
// Win32 adapters turn it into an HWND.
using WindowHandle = void*;

// The host's window-message requests.
class HostRequests {
 public:
  virtual ~HostRequests() = default;
  // IPC_GETLISTPOS: the current playlist index.
  virtual std::intptr_t currentListPosition() = 0;
  // IPC_GETPLAYLISTFILEW: the host's own UTF-16 text for that entry's path,
  // or null (older hosts know no such request).
  virtual const char16_t* playlistFileWide(std::intptr_t index) = 0;
  // IPC_GETPLAYLISTFILE: the host's own ANSI text for that entry's path, or null.
  virtual const char* playlistFile(std::intptr_t index) = 0;
};

// Where the tags come from: the tag library, bound or not.
class TagSource {
 public:
  virtual ~TagSource() = default;
  // The tags of `path`, or nothing when they cannot be loaded.
  virtual std::optional<TrackTags> readTrackTags(const AnsiOrWide& path) = 0;
};

// The text for the encoder: ANSI bytes when every text it was made of came
// as ANSI bytes, UTF-16 as soon as one came as Unicode.
using ScriptText = AnsiOrWide;

// Where the text goes: the encoder's Script panel.
class ScriptDelivery {
 public:
  virtual ~ScriptDelivery() = default;
  virtual void deliverToEncoder(const ScriptText& text) = 0;
};

}  // namespace tavrik
