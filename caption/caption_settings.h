// What the user chose for the outputs beside the encoder: the caption file
// (where it goes, its own template, the idle template, and whether a paused
// player shows the idle caption), the OBS text source and the overlay page.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "common/ansi_or_wide.h"

namespace tavrik {

// The [obs] keys as the settings file holds them.
struct ObsOutputSettings {
  AnsiOrWide address;        // empty: 127.0.0.1:4455
  AnsiOrWide password;       // may be empty
  AnsiOrWide source;         // the text source's name; empty: no OBS output
  AnsiOrWide plainTemplate;  // empty: "#ARTIST - #TITLE"

  bool on() const { return !source.empty(); }

  friend bool operator==(const ObsOutputSettings& a, const ObsOutputSettings& b) {
    return a.address == b.address && a.password == b.password && a.source == b.source &&
           a.plainTemplate == b.plainTemplate;
  }
  friend bool operator!=(const ObsOutputSettings& a, const ObsOutputSettings& b) { return !(a == b); }
};

// The [overlay] keys as the settings file holds them: texts as typed, read
// as numbers where they are used.
struct OverlayOutputSettings {
  AnsiOrWide port;          // the page's port on 127.0.0.1; empty or 0: no page
  AnsiOrWide htmlTemplate;  // filled as for the encoder, lines kept; empty: the encoder's text
  AnsiOrWide style;         // the user's stylesheet; empty: none
  AnsiOrWide showFor;       // seconds a caption shows after a change; empty or 0: always

  // The port, or nothing for one that is off or no port at all.
  std::optional<std::uint16_t> portNumber() const;
  // The seconds, 0 for always (also for what is no number).
  unsigned long showForSeconds() const;
  bool on() const { return portNumber().has_value(); }

  friend bool operator==(const OverlayOutputSettings& a, const OverlayOutputSettings& b) {
    return a.port == b.port && a.htmlTemplate == b.htmlTemplate && a.style == b.style && a.showFor == b.showFor;
  }
  friend bool operator!=(const OverlayOutputSettings& a, const OverlayOutputSettings& b) { return !(a == b); }
};

struct CaptionSettings {
  CaptionSettings() = default;
  // The first three, as the caption file always had them; the newer ones
  // are set by name.
  CaptionSettings(AnsiOrWide captionFile, AnsiOrWide idle, bool whenPausedIdle)
      : file(std::move(captionFile)), idleTemplate(std::move(idle)), idleWhenPaused(whenPausedIdle) {}

  AnsiOrWide file;          // the caption file's path; empty: no caption file
  AnsiOrWide idleTemplate;  // empty: the idle caption is the empty text
  bool idleWhenPaused = false;
  // The caption file's own template, filled as plain text; empty: the file
  // holds the encoder's text.
  AnsiOrWide plainTemplate;
  ObsOutputSettings obs;
  OverlayOutputSettings overlay;

  // The caption file is written.
  bool on() const { return !file.empty(); }
  // Some output beside the encoder wants the player's state.
  bool anyOn() const { return on() || obs.on() || overlay.on(); }

  friend bool operator==(const CaptionSettings& a, const CaptionSettings& b) {
    return a.file == b.file && a.idleTemplate == b.idleTemplate && a.idleWhenPaused == b.idleWhenPaused &&
           a.plainTemplate == b.plainTemplate && a.obs == b.obs && a.overlay == b.overlay;
  }
  friend bool operator!=(const CaptionSettings& a, const CaptionSettings& b) { return !(a == b); }
};

}  // namespace tavrik
