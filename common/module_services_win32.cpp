#include "common/module_services_win32.h"

#include "common/cp932_texts.h"
#include "common/host_folder.h"
#include "common/settings_folder.h"
#include "common/win32_text.h"

namespace tavrik {

HMODULE thisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&thisModule), &module);
  return module;
}

void pinThisModule() {
  HMODULE pinned = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                     reinterpret_cast<LPCSTR>(&thisModule), &pinned);
}

std::string Win32ModuleServices::moduleString(unsigned id) {
  char buffer[1024];
  int length = LoadStringA(thisModule(), id, buffer, sizeof buffer);
  return std::string(buffer, length > 0 ? length : 0);
}

std::string Win32ModuleServices::hostExecutablePath() {
  char buffer[kMaxPathBytes];
  DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  // A full buffer means the path was cut short.
  if (length == 0 || length >= sizeof buffer) return {};
  return std::string(buffer, length);
}

std::u16string Win32ModuleServices::hostSettingsFolderWide() {
  return copyOfHostText(reinterpret_cast<const char16_t*>(SendMessageA(owner_, WM_USER, 0, IPC_GETINIDIRECTORYW)));
}

std::string Win32ModuleServices::hostSettingsFolder() {
  return copyOfHostText(reinterpret_cast<const char*>(SendMessageA(owner_, WM_USER, 0, IPC_GETINIDIRECTORY)));
}

bool Win32ModuleServices::isLeadByte(unsigned char byte) { return isAnsiLeadByte(byte); }

void Win32ModuleServices::showErrorMessage(const std::string& text) {
  MessageBoxA(owner_, text.c_str(), texts::kErrorTitle, MB_OK);
}

}  // namespace tavrik
