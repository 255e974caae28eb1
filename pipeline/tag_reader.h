// Reads a track's tags through the outside tag library mp3infp.dll: binds it
// at init, reads the five texts on each track change, releases it at quit.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/module_services.h"
#include "pipeline/tag_library.h"
#include "pipeline/title_change_ports.h"

namespace tavrik {

inline constexpr std::uint32_t kOldestTagLibraryVersion = 0x227;

class TagReader final : public TagSource {
 public:
  // `hostWindow` is the host's main window, handed to the library with every
  // file it loads.
  TagReader(TagLibraryLoader& loader, ModuleServices& services, WindowHandle hostWindow)
      : loader_(loader), services_(services), hostWindow_(hostWindow) {}

  // Loads "mp3infp.dll", resolves its five entries and checks its version;
  // on failure the user has been told why and nothing stays loaded.
  bool bindTagLibrary();
  // The tags of `path`, with default texts for empty fields; nothing when
  // the library is not bound or cannot load the file.
  std::optional<TrackTags> readTrackTags(const std::string& path) override;
  // Frees the library; nothing happens when none is bound. The destructor
  // frees it too, but FreeLibrary must not run from DllMain: call this at
  // quit rather than leaving it to a global's destructor at unload.
  void releaseTagLibrary();

  bool isBound() const { return library_ != nullptr; }

 private:
  TagLibraryLoader& loader_;
  ModuleServices& services_;
  WindowHandle hostWindow_;
  std::unique_ptr<LoadedTagLibrary> library_;
};

}  // namespace tavrik
