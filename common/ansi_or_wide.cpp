#include "common/ansi_or_wide.h"

#include <cstring>

namespace tavrik {

bool equalsAscii(const AnsiOrWide& text, const char* ascii) {
  if (!text.isWide()) return text.ansi() == ascii;
  return text.wide() == widenAscii(ascii);
}

std::u16string widenAscii(const char* ascii) {
  std::u16string wide;
  wide.reserve(std::strlen(ascii));
  for (; *ascii; ++ascii) wide += static_cast<char16_t>(static_cast<unsigned char>(*ascii));
  return wide;
}

}  // namespace tavrik
