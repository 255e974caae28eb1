// The platform's open-file chooser (GetOpenFileNameA).
#pragma once

#include "ui/file_chooser.h"

namespace tavrik {

// Ownerless, adds no extension, and refuses files it would report read-only
// or that lie in a write-protected folder.
class Win32OpenFileChooser final : public FileChooser {
 public:
  std::optional<std::string> chooseFileToOpen(const std::string& filter) override;
};

}  // namespace tavrik
