// Reads a track's tags through the outside tag library mp3infp.dll: binds it
// at init, reads the five texts on each track change, releases it at quit.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/code_page.h"
#include "common/module_services.h"
#include "pipeline/tag_library.h"
#include "pipeline/title_change_ports.h"
#include "pipeline/track_tags.h"

namespace tavrik {

inline constexpr std::uint32_t kOldestTagLibraryVersion = 0x227;
// From this version on the library may also offer its wide entries.
inline constexpr std::uint32_t kFirstWideTagLibraryVersion = 0x254;

class TagReader {
 public:
  // `hostWindow` is the host's main window, handed to the library with every
  // file it loads.
  TagReader(TagLibrary& library, ModuleServices& services, CodePage& codePage, WindowHandle hostWindow)
      : library_(library), services_(services), codePage_(codePage), hostWindow_(hostWindow) {}

  // Loads "mp3infp.dll", resolves its five entries and checks its version;
  // on failure the user has been told why and nothing stays loaded.
  bool bindTagLibrary();
  // The tags of `path`, with default texts for empty fields; nothing when
  // the library is not bound or cannot load the file. A library of version
  // 2.54 or later with both wide entries is asked in UTF-16, any other one
  // in ANSI bytes, as ever.
  std::optional<TrackTags> readTrackTags(const AnsiOrWide& path);
  // A stream's song, from the title the stream gives it: "Artist - Title"
  // (split at the first " - "), or the title alone. What the title does not
  // give takes its default text; the library is not asked.
  TrackTags streamTags(const AnsiOrWide& title);
  // Frees the library; nothing happens when none is bound. FreeLibrary must
  // not run from DllMain: call this at quit rather than leaving it to a
  // global's destructor at unload.
  void releaseTagLibrary();

 private:
  bool loadFile(const AnsiOrWide& path);
  AnsiOrWide valueOf(const char* key);

  TagLibrary& library_;
  ModuleServices& services_;
  CodePage& codePage_;
  WindowHandle hostWindow_;
  bool bound_ = false;
  bool readsWide_ = false;
};

}  // namespace tavrik
