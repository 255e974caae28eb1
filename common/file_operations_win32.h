// The save's file calls through the Win32 API: files created with CREATE_NEW
// and share mode 0, put in place by one write-through rename. Paths in the
// ANSI code page or in UTF-16.
#pragma once

#include "common/file_operations.h"

namespace tavrik {

class Win32FileOperations final : public FileOperations {
 public:
  bool replaceable(const std::string& path) override;
  std::unique_ptr<NewFile> createNew(const std::string& path, bool& nameTaken) override;
  ReplaceOutcome replace(const std::string& target, const std::string& replacement) override;
  bool remove(const std::string& path) override;
  std::uint32_t lastError() const override { return lastError_; }

 private:
  std::uint32_t lastError_ = 0;
};

class Win32WideFileOperations final : public WideFileOperations {
 public:
  bool replaceable(const std::u16string& path) override;
  std::unique_ptr<NewFile> createNew(const std::u16string& path, bool& nameTaken) override;
  ReplaceOutcome replace(const std::u16string& target, const std::u16string& replacement) override;
  bool remove(const std::u16string& path) override;
  std::uint32_t lastError() const override { return lastError_; }

 private:
  std::uint32_t lastError_ = 0;
};

}  // namespace tavrik
