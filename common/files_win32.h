// Files through the Win32 API: share mode 0 for every open, files created
// with CREATE_NEW, put in place by one write-through rename. Paths in the
// ANSI code page or in UTF-16.
#pragma once

#include "common/files.h"

namespace tavrik {

class Win32Files final : public Files {
 public:
  std::unique_ptr<InputFile> openExclusive(const std::string& path) override;
  std::unique_ptr<InputFile> openExclusive(const std::u16string& path) override;
  bool exists(const std::string& path) override;
  bool exists(const std::u16string& path) override;
  bool createFolder(const std::u16string& path) override;
  bool replaceable(const std::string& path) override;
  bool replaceable(const std::u16string& path) override;
  std::unique_ptr<NewFile> createNew(const std::string& path, bool& nameTaken) override;
  std::unique_ptr<NewFile> createNew(const std::u16string& path, bool& nameTaken) override;
  ReplaceOutcome replace(const std::string& target, const std::string& replacement) override;
  ReplaceOutcome replace(const std::u16string& target, const std::u16string& replacement) override;
  bool remove(const std::string& path) override;
  bool remove(const std::u16string& path) override;
  // GetLastError: kept by the system for each thread, so the plug-in's
  // threads may share one Win32Files.
  std::uint32_t lastError() const override;
};

}  // namespace tavrik
