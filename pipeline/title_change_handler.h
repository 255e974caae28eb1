// What the player's thread does when the host retitles its main window: ask
// the host for the current entry, compare it with the last one handled, and
// say what is new. Nothing here reads a file or waits for another program:
// the tags, the template and the outputs are the plug-in's own thread's work.
#pragma once

#include <optional>

#include "pipeline/title_change_ports.h"

namespace tavrik {

// A track for the plug-in's thread: the entry's path as the host gave it,
// and for a stream (whose path stays its URL while the songs change) the
// entry's title, which names the song.
struct TrackRequest {
  AnsiOrWide path;
  std::optional<AnsiOrWide> streamTitle;

  friend bool operator==(const TrackRequest& a, const TrackRequest& b) {
    return a.path == b.path && a.streamTitle == b.streamTitle;
  }
};

// What one retitle brought.
struct TitleChange {
  std::optional<TrackRequest> track;             // a new file, or a stream's new song
  std::optional<std::intptr_t> playbackStatus;  // the host's IPC_ISPLAYING, when asked
};

// A path that names a stream: two or more ASCII letters, then "://". One
// letter before ":" is a drive ("C://music" is a file).
bool isStreamUrl(const AnsiOrWide& path);

class TitleChangeHandler {
 public:
  explicit TitleChangeHandler(HostRequests& host) : host_(host) {}

  // Runs for every WM_SETTEXT to the host's window. A file is new when its
  // path differs from the last one handled; a stream when its path or its
  // title does. The last entry is replaced before its tags are read, so a
  // file whose tags fail is not tried again on every retitle, and a stream
  // still connecting (an empty title) delivers nothing. The host is asked
  // whether it plays only when `wantsPlaybackStatus`: with no caption output
  // on, it gets no request it did not get before.
  TitleChange onTitleChange(bool wantsPlaybackStatus);

  // The player's state alone, when an output is turned on between retitles:
  // a stopped player shows the idle caption at once.
  TitleChange playbackNow();

 private:
  // The host's path of its current entry: in UTF-16 when the host answers
  // IPC_GETPLAYLISTFILEW, else in ANSI bytes as older hosts give it.
  AnsiOrWide entryPath(std::intptr_t index);
  AnsiOrWide entryTitle(std::intptr_t index);

  HostRequests& host_;
  AnsiOrWide lastFilePath_;
  std::optional<AnsiOrWide> lastStreamTitle_;
};

}  // namespace tavrik
