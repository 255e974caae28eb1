// A code page that fuzz targets and benchmarks can hold every conversion
// against, free of the platform.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/code_page.h"

namespace tavrik::testing {

// A code page of one byte per character, U+0000 to U+00FF: every byte string
// reads back as itself, so that a target checks the module's own logic, not
// a conversion.
class Latin1CodePage : public CodePage {
 public:
  std::u16string toWide(std::string_view ansi) override {
    std::u16string wide;
    for (char c : ansi) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
    return wide;
  }
  std::optional<std::string> toAnsiExactly(std::u16string_view wide) override {
    std::string ansi;
    for (char16_t c : wide) {
      if (c > 0xFF) return std::nullopt;
      ansi += static_cast<char>(c);
    }
    return ansi;
  }
};

}  // namespace tavrik::testing
