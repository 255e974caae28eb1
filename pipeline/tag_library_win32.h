// mp3infp.dll through LoadLibraryA, GetProcAddress and FreeLibrary.
//
//   Win32TagLibraryLoader loader;
//   TagReader reader(loader, services, hostWindow);
#pragma once

#include "pipeline/tag_library.h"

namespace tavrik {

class Win32TagLibraryLoader final : public TagLibraryLoader {
 public:
  TagLibraryLoad loadLibrary(const char* name) override;
};

}  // namespace tavrik
