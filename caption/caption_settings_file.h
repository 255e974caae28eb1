// The settings file's bytes, Plugins\gen_tavrik.ini: section [caption] with
// the keys file, idle_template, when_paused (track or idle) and template, and
// section [obs] with address, password, source and template, and section
// [overlay] with port, template, style and show_for, in the form
// Windows' profile functions read. In the ANSI code page, or UTF-16LE when it
// starts with that byte-order mark (for paths the code page cannot hold).
#pragma once

#include <string>
#include <string_view>

#include "caption/caption_settings.h"
#include "common/code_page.h"

namespace tavrik {

struct CaptionSettingsFile {
  // Not a settings file the profile functions could read as we meant it:
  // NUL bytes without the UTF-16LE mark, an odd number of UTF-16 bytes, the
  // UTF-8 mark, or a when_paused that is neither track nor idle.
  bool garbled = false;
  CaptionSettings settings;  // off when garbled
  // The whole text after the mark, ANSI bytes or UTF-16: its other lines and
  // sections are written back as they are.
  AnsiOrWide text;
};

// Paths are kept as ANSI bytes when the code page holds them, as the dialog
// keeps what the user types, so that settings read and typed compare alike.
CaptionSettingsFile parseCaptionSettingsFile(std::string_view bytes, CodePage& codePage);

// `original` with the keys set to `settings`: the first three always, the
// newer ones when they have a value or were in the file. An ANSI file stays ANSI
// while the code page holds every value, else it becomes UTF-16LE with its
// mark; a garbled original is not kept.
std::string formatCaptionSettingsFile(const CaptionSettings& settings, const CaptionSettingsFile& original,
                                      CodePage& codePage);

}  // namespace tavrik
