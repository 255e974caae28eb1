// Files through the Win32 API: share mode 0 for every open, a new temporary
// file put in the old one's place for every write.
#pragma once

#include "common/file_system.h"

namespace tavrik {

class Win32FileSystem final : public FileSystem {
 public:
  std::unique_ptr<InputFile> openExclusive(const std::string& path) override;
  std::unique_ptr<InputFile> openExclusiveWide(const std::u16string& path) override;
  bool replaceContent(const std::string& path, std::string_view bytes) override;
  bool replaceContentWide(const std::u16string& path, std::string_view bytes) override;
  ReplaceResult replaceSharedContentWide(const std::u16string& path, std::string_view bytes) override;
  bool exists(const std::string& path) override;
  bool existsWide(const std::u16string& path) override;
  bool createFolderWide(const std::u16string& path) override;
};

}  // namespace tavrik
