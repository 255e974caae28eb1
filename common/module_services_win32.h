// The module's strings, the host's executable path and settings folder, and
// the error message box through the Win32 API and the host's requests.
#pragma once

#include <windows.h>

#include "common/module_services.h"

namespace tavrik {

// The host's requests for its settings folder: WM_USER sent to its main
// window with the request's number in lParam, under the host interface's names.
inline constexpr LPARAM IPC_GETINIDIRECTORY = 335;
inline constexpr LPARAM IPC_GETINIDIRECTORYW = 1335;

// The module this code is linked into: the plug-in DLL, or a test program.
HMODULE thisModule();

// Keeps the module holding this code loaded until the process ends, whatever
// the host's FreeLibrary: for a window procedure or a thread of ours that
// outlives quit.
void pinThisModule();

class Win32ModuleServices final : public ModuleServices {
 public:
  // `owner` is the host's main window, which owns every error message.
  explicit Win32ModuleServices(HWND owner) : owner_(owner) {}
  std::string moduleString(unsigned id) override;
  std::string hostExecutablePath() override;
  std::u16string hostSettingsFolderWide() override;
  std::string hostSettingsFolder() override;
  bool isLeadByte(unsigned char byte) override;
  void showErrorMessage(const std::string& text) override;

 private:
  HWND owner_;
};

}  // namespace tavrik
