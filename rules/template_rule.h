// One user rule: when the tag named by the condition type equals the condition
// value, the track is shown with the template at the template path.
#pragma once

#include "common/ansi_or_wide.h"

namespace tavrik {

// Texts from an ANSI rule file are its bytes; from a UTF-8 rule file, UTF-16;
// typed into the dialogs, ANSI bytes when the code page holds them.
struct TemplateRule {
  AnsiOrWide conditionType;   // "TITLE", "ARTIST", "ALBUM", "COMMENT", "GENRE" match; anything else is kept
  AnsiOrWide conditionValue;  // compared with the tag (valueMatchesTag)
  AnsiOrWide templatePath;    // normally a full path; a relative one is left to the current directory

  bool operator==(const TemplateRule& other) const {
    return conditionType == other.conditionType && conditionValue == other.conditionValue &&
           templatePath == other.templatePath;
  }
};

}  // namespace tavrik
