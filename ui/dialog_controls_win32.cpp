#include "ui/dialog_controls_win32.h"

#include <commdlg.h>

#include <algorithm>

#include "common/win32_text.h"
#include "ui/file_filter.h"

namespace tavrik {

std::u16string wholeWindowText(HWND window) {
  // The length asked first can exceed the text; the copy tells the true one.
  int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
  int copied = GetWindowTextW(window, asWide(text.data()), length + 1);
  text.resize(copied > 0 ? copied : 0);
  return text;
}

void setWindowText(HWND window, const AnsiOrWide& text, CodePage& codePage) {
  SetWindowTextW(window, asWide(wideOf(text, codePage).c_str()));
}

void chooseFileInto(HWND field, const FileChoice& choice, CodePage& codePage) {
  if (auto path = chooseFile(choice, codePage)) setWindowText(field, *path, codePage);
}

std::optional<std::u16string> chooseFile(const FileChoice& choice, CodePage& codePage) {
  // The wide chooser returns any file name whole; its filter is the module's
  // code page 932 text, read as the ANSI functions read it.
  std::u16string filter = codePage.toWide(nulSeparatedFilter(choice.filter, isAnsiLeadByte));
  std::u16string path(32768, u'\0');
  OPENFILENAMEW request = {};
  request.lStructSize = sizeof request;
  request.hwndOwner = choice.owner;
  request.lpstrFilter = asWide(filter.data());  // its own NUL ends the list
  request.lpstrFile = asWide(path.data());
  request.nMaxFile = static_cast<DWORD>(path.size());
  request.lpstrDefExt = asWide(choice.defaultExtension);
  request.Flags = OFN_NOREADONLYRETURN | OFN_EXPLORER;
  if (choice.save) request.Flags |= OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!(choice.save ? GetSaveFileNameW(&request) : GetOpenFileNameW(&request))) return std::nullopt;
  path.resize(std::min(path.find(u'\0'), path.size()));
  return path;
}

}  // namespace tavrik
