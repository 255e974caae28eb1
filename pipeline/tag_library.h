// The tag library as the tag reader sees it: a loader that finds the library
// by name, and the loaded library whose five entries are resolved by name and
// then called. The Win32 adapter is LoadLibraryA/GetProcAddress/FreeLibrary;
// tests use a hand-written fake.
#pragma once

#include <cstdint>
#include <memory>

namespace tavrik {

// The five entries, in the order they are resolved.
enum class TagEntry { GetVer, Load, GetType, GetValue, Mp3GetTagType };
inline constexpr int kTagEntryCount = 5;

class LoadedTagLibrary {
 public:
  // Releases the library.
  virtual ~LoadedTagLibrary() = default;
  // Looks `name` up in the library and keeps it as `entry`; false when the
  // library has no such entry.
  virtual bool resolve(TagEntry entry, const char* name) = 0;

  // The entries themselves, called only once all five resolved.
  // mp3infp_GetVer: 0x227 stands for 2.27.
  virtual std::uint32_t getVer() = 0;
  // mp3infp_Load: 0 when the file's tags were loaded.
  virtual std::uint32_t load(std::uintptr_t window, const char* path) = 0;
  // mp3infp_GetType: 1 is MP3.
  virtual std::uint32_t getType() = 0;
  // mp3infp_GetValue: when true, `value` points at a text the library owns
  // until its next call.
  virtual bool getValue(const char* key, const char** value) = 0;
  // mp3infp_mp3_GetTagType: bits 0x02 ID3v2, 0x04 RIFF MP3, 0x01 ID3v1.
  virtual std::uint32_t mp3GetTagType() = 0;
};

class TagLibraryLoader {
 public:
  virtual ~TagLibraryLoader() = default;
  // Loads the library by `name` as the system searches for it; null when it
  // cannot be loaded.
  virtual std::unique_ptr<LoadedTagLibrary> loadLibrary(const char* name) = 0;
};

}  // namespace tavrik
