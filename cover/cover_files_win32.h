// The cover reader's files through the Win32 API: the track opened with
// every share mode, so that the player, a tagger or an encoder holding it
// open is never shut out, nor shuts us out.
#pragma once

#include "cover/cover_files.h"

namespace tavrik {

class Win32CoverFiles final : public CoverFiles {
 public:
  std::unique_ptr<CoverFile> openShared(const std::u16string& path) override;
  // Files only: a folder named cover.jpg is no picture.
  std::vector<std::u16string> fileNamesIn(const std::u16string& folder, std::size_t limit) override;
};

}  // namespace tavrik
