// What the user chose for the outputs beside the encoder: the caption file
// (where it goes, its own template, the idle template, and whether a paused
// player shows the idle caption), the OBS text source, the overlay page and
// the cover picture's file.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "common/ansi_or_wide.h"

namespace tavrik {

// A show_for key's seconds: decimal digits only, 0 (always shown) for what
// is no number.
unsigned long secondsOf(const AnsiOrWide& text);

// The [obs] keys as the settings file holds them.
struct ObsOutputSettings {
  AnsiOrWide address;        // empty: 127.0.0.1:4455
  AnsiOrWide password;       // may be empty
  AnsiOrWide source;         // the text source's name; empty: no OBS output
  AnsiOrWide plainTemplate;  // empty: "#ARTIST - #TITLE"
  AnsiOrWide coverSource;    // an image source shown the cover file; empty: none
  AnsiOrWide showFor;        // seconds a text shows after a change; empty or 0: always
  AnsiOrWide hideText;       // the text then, filled as the template is; empty: the empty text

  bool on() const { return !source.empty() || !coverSource.empty(); }
  unsigned long showForSeconds() const { return secondsOf(showFor); }

  friend bool operator==(const ObsOutputSettings& a, const ObsOutputSettings& b) {
    return a.address == b.address && a.password == b.password && a.source == b.source &&
           a.plainTemplate == b.plainTemplate && a.coverSource == b.coverSource && a.showFor == b.showFor &&
           a.hideText == b.hideText;
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
  AnsiOrWide cover;         // "1": the page shows the track's cover too

  // The port, or nothing for one that is off or no port at all.
  std::optional<std::uint16_t> portNumber() const;
  // The seconds, 0 for always (also for what is no number).
  unsigned long showForSeconds() const;
  bool on() const { return portNumber().has_value(); }
  bool showsCover() const { return on() && equalsAscii(cover, "1"); }

  friend bool operator==(const OverlayOutputSettings& a, const OverlayOutputSettings& b) {
    return a.port == b.port && a.htmlTemplate == b.htmlTemplate && a.style == b.style && a.showFor == b.showFor &&
           a.cover == b.cover;
  }
  friend bool operator!=(const OverlayOutputSettings& a, const OverlayOutputSettings& b) { return !(a == b); }
};

// The [cover] keys: where the track's picture is written, and what it holds
// for a track without one.
struct CoverOutputSettings {
  AnsiOrWide file;  // empty: no cover file
  AnsiOrWide none;  // the user's placeholder picture; empty: a transparent pixel

  bool on() const { return !file.empty(); }

  friend bool operator==(const CoverOutputSettings& a, const CoverOutputSettings& b) {
    return a.file == b.file && a.none == b.none;
  }
  friend bool operator!=(const CoverOutputSettings& a, const CoverOutputSettings& b) { return !(a == b); }
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
  // Seconds the caption file shows a caption after it changed, then the
  // hidden text (`hideText` filled as the file's template is; empty: the
  // empty text); empty or 0: always shown.
  AnsiOrWide showFor;
  AnsiOrWide hideText;
  ObsOutputSettings obs;
  OverlayOutputSettings overlay;
  CoverOutputSettings cover;

  // The caption file is written.
  bool on() const { return !file.empty(); }
  // Some output beside the encoder wants the player's state.
  bool anyOn() const { return on() || obs.on() || overlay.on() || cover.on(); }
  unsigned long showForSeconds() const { return secondsOf(showFor); }
  // Some output shows the track's picture: it is read at each track.
  bool wantsCover() const { return cover.on() || overlay.showsCover(); }

  friend bool operator==(const CaptionSettings& a, const CaptionSettings& b) {
    return a.file == b.file && a.idleTemplate == b.idleTemplate && a.idleWhenPaused == b.idleWhenPaused &&
           a.plainTemplate == b.plainTemplate && a.obs == b.obs && a.overlay == b.overlay && a.cover == b.cover &&
           a.showFor == b.showFor && a.hideText == b.hideText;
  }
  friend bool operator!=(const CaptionSettings& a, const CaptionSettings& b) { return !(a == b); }
};

}  // namespace tavrik
