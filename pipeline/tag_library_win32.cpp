#include "pipeline/tag_library_win32.h"

#include <windows.h>

#include "common/win32_handles.h"

namespace tavrik {
namespace {

// The library's entries use the standard calling convention (the callee
// removes the arguments); a mismatch corrupts the 32-bit host's stack.
using GetVerEntry = DWORD(WINAPI*)();
using LoadEntry = DWORD(WINAPI*)(HWND, LPCSTR);
using GetTypeEntry = DWORD(WINAPI*)();
using GetValueEntry = BOOL(WINAPI*)(LPCSTR, char**);
using Mp3GetTagTypeEntry = DWORD(WINAPI*)();

// GetProcAddress answers a generic function pointer; going through void(*)()
// says the cast to the entry's real type is intended.
template <typename Entry>
Entry entryAs(FARPROC address) {
  return reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(address));
}

class Win32LoadedTagLibrary final : public LoadedTagLibrary {
 public:
  explicit Win32LoadedTagLibrary(UniqueModule module) : module_(std::move(module)) {}

  bool resolve(TagEntry entry, const char* name) override {
    FARPROC address = GetProcAddress(module_.get(), name);
    if (!address) return false;
    switch (entry) {
      case TagEntry::GetVer: getVer_ = entryAs<GetVerEntry>(address); break;
      case TagEntry::Load: load_ = entryAs<LoadEntry>(address); break;
      case TagEntry::GetType: getType_ = entryAs<GetTypeEntry>(address); break;
      case TagEntry::GetValue: getValue_ = entryAs<GetValueEntry>(address); break;
      case TagEntry::Mp3GetTagType: mp3GetTagType_ = entryAs<Mp3GetTagTypeEntry>(address); break;
    }
    return true;
  }

  // Each entry is checked once more before it is called: an unresolved one
  // answers as a library that has nothing.
  std::uint32_t getVer() override { return getVer_ ? getVer_() : 0; }
  std::uint32_t load(std::uintptr_t window, const char* path) override {
    return load_ ? load_(reinterpret_cast<HWND>(window), path) : 1;
  }
  std::uint32_t getType() override { return getType_ ? getType_() : 0; }
  bool getValue(const char* key, const char** value) override {
    char* text = nullptr;
    if (!getValue_ || !getValue_(key, &text)) return false;
    *value = text;
    return true;
  }
  std::uint32_t mp3GetTagType() override { return mp3GetTagType_ ? mp3GetTagType_() : 0; }

 private:
  UniqueModule module_;
  GetVerEntry getVer_ = nullptr;
  LoadEntry load_ = nullptr;
  GetTypeEntry getType_ = nullptr;
  GetValueEntry getValue_ = nullptr;
  Mp3GetTagTypeEntry mp3GetTagType_ = nullptr;
};

}  // namespace

std::unique_ptr<LoadedTagLibrary> Win32TagLibraryLoader::loadLibrary(const char* name) {
  UniqueModule module(LoadLibraryA(name));
  if (!module) return nullptr;
  return std::make_unique<Win32LoadedTagLibrary>(std::move(module));
}

}  // namespace tavrik
