#include "common/code_page.h"

namespace tavrik {

std::u16string wideOf(const AnsiOrWide& text, CodePage& codePage) {
  return text.isWide() ? text.wide() : codePage.toWide(text.ansi());
}

std::optional<std::string> exactAnsiOf(const AnsiOrWide& text, CodePage& codePage) {
  if (!text.isWide()) return text.ansi();
  return codePage.toAnsiExactly(text.wide());
}

AnsiOrWide narrowedWherePossible(std::u16string wide, CodePage& codePage) {
  if (std::optional<std::string> ansi = codePage.toAnsiExactly(wide)) return std::move(*ansi);
  return wide;
}

bool valueMatchesTag(const AnsiOrWide& value, const AnsiOrWide& tag, CodePage& codePage) {
  if (!value.isWide() && !tag.isWide()) return value.ansi() == tag.ansi();
  if (std::optional<std::string> tagBytes = exactAnsiOf(tag, codePage)) {
    std::optional<std::string> valueBytes = exactAnsiOf(value, codePage);
    return valueBytes && *valueBytes == *tagBytes;
  }
  return wideOf(value, codePage) == tag.wide();
}

}  // namespace tavrik
