// The ANSI code page through MultiByteToWideChar and WideCharToMultiByte.
#pragma once

#include "common/code_page.h"

namespace tavrik {

class Win32CodePage final : public CodePage {
 public:
  std::u16string toWide(std::string_view ansi) override;
  std::optional<std::string> toAnsiExactly(std::u16string_view wide) override;
};

}  // namespace tavrik
