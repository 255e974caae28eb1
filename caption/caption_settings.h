// What the user chose for the caption file: where it goes, the idle
// template, and whether a paused player shows the idle caption.
#pragma once

#include "common/ansi_or_wide.h"

namespace tavrik {

struct CaptionSettings {
  AnsiOrWide file;          // the caption file's path; empty: no caption file
  AnsiOrWide idleTemplate;  // empty: the idle caption is the empty text
  bool idleWhenPaused = false;

  bool on() const { return !file.empty(); }

  friend bool operator==(const CaptionSettings& a, const CaptionSettings& b) {
    return a.file == b.file && a.idleTemplate == b.idleTemplate && a.idleWhenPaused == b.idleWhenPaused;
  }
  friend bool operator!=(const CaptionSettings& a, const CaptionSettings& b) { return !(a == b); }
};

}  // namespace tavrik
