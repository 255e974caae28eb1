#include "common/code_page_win32.h"

#include <windows.h>

#include <climits>

#include "common/win32_text.h"

namespace tavrik {

std::u16string Win32CodePage::toWide(std::string_view ansi) {
  if (ansi.empty() || ansi.size() > INT_MAX) return {};
  int length = static_cast<int>(ansi.size());
  int needed = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
  if (needed <= 0) return {};
  std::u16string wide(static_cast<std::size_t>(needed), u'\0');
  int made = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, asWide(wide.data()), needed);
  wide.resize(made > 0 ? static_cast<std::size_t>(made) : 0);
  return wide;
}

std::optional<std::string> Win32CodePage::toAnsiExactly(std::u16string_view wide) {
  if (wide.empty()) return std::string();
  if (wide.size() > INT_MAX) return std::nullopt;
  int length = static_cast<int>(wide.size());
  // Without WC_NO_BEST_FIT_CHARS "é" would quietly become "e"; the
  // used-default flag tells of every character that became "?".
  BOOL usedDefault = FALSE;
  int needed = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, asWide(wide.data()), length,
                                   nullptr, 0, nullptr, &usedDefault);
  if (needed <= 0 || usedDefault) return std::nullopt;
  std::string ansi(static_cast<std::size_t>(needed), '\0');
  int made = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, asWide(wide.data()), length,
                                 ansi.data(), needed, nullptr, &usedDefault);
  if (made != needed || usedDefault) return std::nullopt;
  // Only what reads back as the same text counts as held by the code page.
  if (toWide(ansi) != wide) return std::nullopt;
  return ansi;
}

}  // namespace tavrik
