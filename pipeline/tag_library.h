// The tag library mp3infp.dll as the tag reader sees it: bound by name, its
// five entries (and the two wide ones of newer libraries) called, released.
// One Win32 adapter (LoadLibraryA, GetProcAddress, FreeLibrary); tests use
// hand-written fakes.
#pragma once

#include <cstdint>

#include "pipeline/title_change_ports.h"

namespace tavrik {

enum class TagLibraryBinding {
  bound,
  missing,     // no library of that name loads
  lacksEntry,  // it loads but lacks one of the five entries: released again
};

class TagLibrary {
 public:
  virtual ~TagLibrary() = default;
  // Loads the library by `name` as the system searches for it and resolves
  // all five entries, so that none is ever called through a null pointer.
  virtual TagLibraryBinding bind(const char* name) = 0;
  // Frees the library bound last; nothing happens without one.
  virtual void release() = 0;

  // While bound:
  // mp3infp_GetVer: 0x227 stands for 2.27.
  virtual std::uint32_t getVer() = 0;
  // mp3infp_Load: 0 when the file's tags were loaded.
  virtual std::uint32_t load(WindowHandle window, const char* path) = 0;
  // mp3infp_GetType: 1 is MP3.
  virtual std::uint32_t getType() = 0;
  // mp3infp_GetValue: when true, `value` points at a text the library owns
  // until its next call.
  virtual bool getValue(const char* key, const char** value) = 0;
  // mp3infp_mp3_GetTagType: bits 0x02 ID3v2, 0x04 RIFF MP3, 0x01 ID3v1.
  virtual std::uint32_t mp3GetTagType() = 0;

  // Whether the library exports both mp3infp_LoadW and mp3infp_GetValueW
  // (2.54 on). Libraries without them are as good as ever: the two calls
  // below are then never made.
  virtual bool hasWideEntries() = 0;
  // mp3infp_LoadW: 0 when the file's tags were loaded.
  virtual std::uint32_t loadWide(WindowHandle window, const char16_t* path) = 0;
  // mp3infp_GetValueW: when true, `value` points at a UTF-16 text the
  // library owns until its next call.
  virtual bool getValueWide(const char16_t* key, const char16_t** value) = 0;
};

}  // namespace tavrik
