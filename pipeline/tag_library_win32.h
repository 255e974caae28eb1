// mp3infp.dll through LoadLibraryA, GetProcAddress and FreeLibrary.
//
//   Win32TagLibraryLoader loader;
//   TagReader reader(loader, services, reinterpret_cast<std::uintptr_t>(hostWindow));
#pragma once

#include "pipeline/tag_library.h"

namespace tavrik {

class Win32TagLibraryLoader final : public TagLibraryLoader {
 public:
  std::unique_ptr<LoadedTagLibrary> loadLibrary(const char* name) override;
};

}  // namespace tavrik
