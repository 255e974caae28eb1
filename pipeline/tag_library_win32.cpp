#include "pipeline/tag_library_win32.h"

namespace tavrik {
namespace {

using Entries = Win32TagLibrary::Entries;

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

}  // namespace

TagLibraryBinding Win32TagLibrary::bind(const char* name) {
  release();
  UniqueModule module(LoadLibraryA(name));
  if (!module) return TagLibraryBinding::missing;
  Entries entries;
  if (!resolveAll(module.get(), entries)) return TagLibraryBinding::lacksEntry;
  resolveWidePair(module.get(), entries);
  module_ = std::move(module);
  entries_ = entries;
  return TagLibraryBinding::bound;
}

void Win32TagLibrary::release() {
  entries_ = Entries();
  module_.reset();
}

std::uint32_t Win32TagLibrary::getVer() { return entries_.getVer(); }

std::uint32_t Win32TagLibrary::load(WindowHandle window, const char* path) {
  return entries_.load(static_cast<HWND>(window), path);
}

std::uint32_t Win32TagLibrary::getType() { return entries_.getType(); }

bool Win32TagLibrary::getValue(const char* key, const char** value) {
  char* text = nullptr;
  if (!entries_.getValue(key, &text)) return false;
  *value = text;
  return true;
}

std::uint32_t Win32TagLibrary::mp3GetTagType() { return entries_.mp3GetTagType(); }

bool Win32TagLibrary::hasWideEntries() { return entries_.loadWide && entries_.getValueWide; }

std::uint32_t Win32TagLibrary::loadWide(WindowHandle window, const char16_t* path) {
  if (!hasWideEntries()) return ERROR_PROC_NOT_FOUND;
  return entries_.loadWide(static_cast<HWND>(window), reinterpret_cast<LPCWSTR>(path));
}

bool Win32TagLibrary::getValueWide(const char16_t* key, const char16_t** value) {
  if (!hasWideEntries()) return false;
  wchar_t* text = nullptr;
  if (!entries_.getValueWide(reinterpret_cast<LPCWSTR>(key), &text)) return false;
  *value = reinterpret_cast<const char16_t*>(text);
  return true;
}

}  // namespace tavrik
