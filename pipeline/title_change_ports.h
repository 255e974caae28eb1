// The three ports of the title-change handling: what it asks of the host,
// where the tags come from and where the text goes. Each has one Win32
// adapter (host_requests_win32, tag_reader over tag_library_win32,
// encoder_link over window_ops_win32); tests use hand-written fakes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "pipeline/track_tags.h"

namespace tavrik {

// A window of the host or of the encoder, opaque to the logic: only the
// Win32 adapters turn it into an HWND.
using WindowHandle = void*;

// The host's two window-message requests.
class HostRequests {
 public:
  virtual ~HostRequests() = default;
  // IPC_GETLISTPOS: the current playlist index.
  virtual std::intptr_t currentListPosition() = 0;
  // IPC_GETPLAYLISTFILE: the host's own text for that entry's path, or null.
  virtual const char* playlistFile(std::intptr_t index) = 0;
};

// Where the tags come from: the tag library, bound or not.
class TagSource {
 public:
  virtual ~TagSource() = default;
  // The tags of `path`, or nothing when they cannot be loaded.
  virtual std::optional<TrackTags> readTrackTags(const std::string& path) = 0;
};

// Where the text goes: the encoder's Script panel.
class ScriptDelivery {
 public:
  virtual ~ScriptDelivery() = default;
  virtual void deliverToEncoder(const std::string& text) = 0;
};

}  // namespace tavrik
