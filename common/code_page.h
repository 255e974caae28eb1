// The system's ANSI code page, as the logic needs it: turning ANSI bytes
// into UTF-16 and back, and knowing whether a text survives the way back.
// One Win32 adapter (code_page_win32); native tests use a small fake.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/ansi_or_wide.h"

namespace tavrik {

class CodePage {
 public:
  virtual ~CodePage() = default;
  // The bytes as the platform's ANSI functions read them.
  virtual std::u16string toWide(std::string_view ansi) = 0;
  // The ANSI bytes of `wide` when the code page holds every character of it
  // as it is; nothing when one would become a look-alike or the default
  // character ("?").
  virtual std::optional<std::string> toAnsiExactly(std::u16string_view wide) = 0;
};

// `text` as UTF-16, ANSI bytes read through the code page.
std::u16string wideOf(const AnsiOrWide& text, CodePage& codePage);

// The ANSI bytes of `text`, when it has them exactly.
std::optional<std::string> exactAnsiOf(const AnsiOrWide& text, CodePage& codePage);

// A wide text the user typed or the system gave, kept as ANSI bytes when the
// code page holds it: what the ANSI path always had stays byte for byte.
AnsiOrWide narrowedWherePossible(std::u16string wide, CodePage& codePage);

// Whether a rule's value names this tag. A tag the code page can represent
// is compared by its ANSI bytes, as tags always were, so rules written for
// ANSI tags go on matching; any other tag is compared by its UTF-16 units.
bool valueMatchesTag(const AnsiOrWide& value, const AnsiOrWide& tag, CodePage& codePage);

}  // namespace tavrik
