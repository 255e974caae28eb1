#include "ui/open_file_chooser_win32.h"

#include <windows.h>

#include <commdlg.h>

#include <vector>

namespace tavrik {

std::optional<std::string> Win32OpenFileChooser::chooseFileToOpen(const std::string& filter) {
  std::string platformFilter =
      nulSeparatedFilter(filter, [](unsigned char byte) { return IsDBCSLeadByte(byte) != 0; });
  std::vector<char> path(32768, '\0');
  OPENFILENAMEA request = {};
  request.lStructSize = sizeof request;
  request.lpstrFilter = platformFilter.c_str();  // its own NUL ends the list
  request.lpstrFile = path.data();
  request.nMaxFile = static_cast<DWORD>(path.size());
  request.Flags = OFN_NOREADONLYRETURN | OFN_EXPLORER;
  if (!GetOpenFileNameA(&request)) return std::nullopt;
  return std::string(path.data());
}

}  // namespace tavrik
