// mp3infp.dll through LoadLibraryA, GetProcAddress and FreeLibrary.
#pragma once

#include <windows.h>

#include "common/win32_handles.h"
#include "pipeline/tag_library.h"

namespace tavrik {

class Win32TagLibrary final : public TagLibrary {
 public:
  TagLibraryBinding bind(const char* name) override;
  void release() override;
  std::uint32_t getVer() override;
  std::uint32_t load(WindowHandle window, const char* path) override;
  std::uint32_t getType() override;
  bool getValue(const char* key, const char** value) override;
  std::uint32_t mp3GetTagType() override;
  bool hasWideEntries() override;
  std::uint32_t loadWide(WindowHandle window, const char16_t* path) override;
  bool getValueWide(const char16_t* key, const char16_t** value) override;

  // The library's entries use the standard calling convention (the callee
  // removes the arguments); a mismatch corrupts the 32-bit host's stack.
  struct Entries {
    DWORD(WINAPI* getVer)() = nullptr;
    DWORD(WINAPI* load)(HWND, LPCSTR) = nullptr;
    DWORD(WINAPI* getType)() = nullptr;
    BOOL(WINAPI* getValue)(LPCSTR, char**) = nullptr;
    DWORD(WINAPI* mp3GetTagType)() = nullptr;
    // Only in newer libraries; null in older ones.
    DWORD(WINAPI* loadWide)(HWND, LPCWSTR) = nullptr;
    BOOL(WINAPI* getValueWide)(LPCWSTR, wchar_t**) = nullptr;
  };

 private:
  UniqueModule module_;
  Entries entries_;
};

}  // namespace tavrik
