#include "pipeline/tag_library_win32.h"

#include <windows.h>

#include "common/win32_handles.h"

namespace tavrik {
namespace {

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

// GetProcAddress answers a generic function pointer; going through void(*)()
// says the cast to the entry's real type is intended.
template <typename Entry>
bool resolve(HMODULE module, const char* name, Entry& entry) {
  FARPROC address = GetProcAddress(module, name);
  entry = reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(address));
  return address != nullptr;
}

// The five entries: each name beside the typed pointer it fills, in the
// order they are resolved.
bool resolveAll(HMODULE module, Entries& entries) {
  return resolve(module, "mp3infp_GetVer", entries.getVer) &&
         resolve(module, "mp3infp_Load", entries.load) &&
         resolve(module, "mp3infp_GetType", entries.getType) &&
         resolve(module, "mp3infp_GetValue", entries.getValue) &&
         resolve(module, "mp3infp_mp3_GetTagType", entries.mp3GetTagType);
}

// The wide pair is used only whole: a library with one of them alone is
// treated as one without either.
void resolveWidePair(HMODULE module, Entries& entries) {
  if (!resolve(module, "mp3infp_LoadW", entries.loadWide) ||
      !resolve(module, "mp3infp_GetValueW", entries.getValueWide)) {
    entries.loadWide = nullptr;
    entries.getValueWide = nullptr;
  }
}

class Win32LoadedTagLibrary final : public LoadedTagLibrary {
 public:
  Win32LoadedTagLibrary(UniqueModule module, const Entries& entries)
      : module_(std::move(module)), entries_(entries) {}

  std::uint32_t getVer() override { return entries_.getVer(); }
  std::uint32_t load(WindowHandle window, const char* path) override {
    return entries_.load(static_cast<HWND>(window), path);
  }
  std::uint32_t getType() override { return entries_.getType(); }
  bool getValue(const char* key, const char** value) override {
    char* text = nullptr;
    if (!entries_.getValue(key, &text)) return false;
    *value = text;
    return true;
  }
  std::uint32_t mp3GetTagType() override { return entries_.mp3GetTagType(); }
  bool hasWideEntries() override { return entries_.loadWide && entries_.getValueWide; }
  std::uint32_t loadWide(WindowHandle window, const char16_t* path) override {
    if (!hasWideEntries()) return ERROR_PROC_NOT_FOUND;
    return entries_.loadWide(static_cast<HWND>(window), reinterpret_cast<LPCWSTR>(path));
  }
  bool getValueWide(const char16_t* key, const char16_t** value) override {
    if (!hasWideEntries()) return false;
    wchar_t* text = nullptr;
    if (!entries_.getValueWide(reinterpret_cast<LPCWSTR>(key), &text)) return false;
    *value = reinterpret_cast<const char16_t*>(text);
    return true;
  }

 private:
  UniqueModule module_;
  Entries entries_;
};

}  // namespace

TagLibraryLoad Win32TagLibraryLoader::loadLibrary(const char* name) {
  UniqueModule module(LoadLibraryA(name));
  if (!module) return {};
  Entries entries;
  if (!resolveAll(module.get(), entries)) return {nullptr, true};
  resolveWidePair(module.get(), entries);
  return {std::make_unique<Win32LoadedTagLibrary>(std::move(module), entries), false};
}

}  // namespace tavrik
