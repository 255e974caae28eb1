// ASCII letters in texts of any unit (ANSI bytes, UTF-16): what settings
// names, drive letters and URL schemes are made of, compared as Windows
// compares them, without regard to their case.
#pragma once

#include <string_view>
#include <type_traits>

namespace tavrik {

inline bool isAsciiLetter(char32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

inline char32_t lowerAscii(char32_t c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

// Whether the two hold the same characters, ASCII letters of either case
// alike. A byte is taken as a code unit of its own (0x80 on is no letter).
template <typename A, typename B>
bool equalsIgnoringAsciiCase(std::basic_string_view<A> a, std::basic_string_view<B> b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char32_t x = static_cast<std::make_unsigned_t<A>>(a[i]);
    char32_t y = static_cast<std::make_unsigned_t<B>>(b[i]);
    if (lowerAscii(x) != lowerAscii(y)) return false;
  }
  return true;
}

}  // namespace tavrik
