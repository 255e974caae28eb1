// What the Unicode dialogs read from and put into their controls, and the
// file choosers they open.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "common/code_page.h"

namespace tavrik {

// The whole text of a window, however long. The dialogs are Unicode
// windows, so a text the ANSI code page cannot hold arrives whole.
std::u16string wholeWindowText(HWND window);

// `text` into a window: ANSI bytes read through the code page.
void setWindowText(HWND window, const AnsiOrWide& text, CodePage& codePage);

struct FileChoice {
  HWND owner = nullptr;
  const char* filter = nullptr;  // "label|pattern|...||", code page 932
  // Save: a name the user types without an extension gets this one, and the
  // folder must exist; open: the name is returned as typed.
  bool save = false;
  const char16_t* defaultExtension = nullptr;
};

// The chosen file's full path; nothing after Cancel. Neither chooser returns
// a file it would report read-only or one in a write-protected folder.
std::optional<std::u16string> chooseFile(const FileChoice& choice, CodePage& codePage);

// The chooser for the field beside a Browse button: the chosen path goes
// into `field`, which Cancel leaves as it was.
void chooseFileInto(HWND field, const FileChoice& choice, CodePage& codePage);

}  // namespace tavrik
