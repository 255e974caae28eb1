#include "common/file_system_win32.h"

#include <windows.h>

#include "common/file_operations_win32.h"
#include "common/host_folder.h"
#include "common/replace_content.h"
#include "common/win32_handles.h"
#include "common/win32_text.h"

namespace tavrik {

namespace {

class Win32InputFile final : public InputFile {
 public:
  explicit Win32InputFile(UniqueFile file) : file_(std::move(file)) {}
  std::size_t read(char* buffer, std::size_t capacity) override {
    DWORD got = 0;
    DWORD ask = capacity > 0x40000000u ? 0x40000000u : static_cast<DWORD>(capacity);
    if (!ReadFile(file_.get(), buffer, ask, &got, nullptr)) return 0;
    return got;
  }
  std::size_t sizeHint() override {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_.get(), &size) || size.QuadPart < 0) return 0;
    // A size the address space cannot hold is no useful hint.
    if (static_cast<unsigned long long>(size.QuadPart) > (1ull << 30)) return 0;
    return static_cast<std::size_t>(size.QuadPart);
  }

 private:
  UniqueFile file_;
};

}  // namespace

std::unique_ptr<InputFile> Win32FileSystem::openExclusive(const std::string& path) {
  if (path.empty() || !fitsWindowsPath(path)) return nullptr;
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return nullptr;
  return std::make_unique<Win32InputFile>(std::move(file));
}

std::unique_ptr<InputFile> Win32FileSystem::openExclusiveWide(const std::u16string& path) {
  if (path.empty() || !fitsWindowsPath(path)) return nullptr;
  UniqueFile file(CreateFileW(asWide(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
  if (!file) return nullptr;
  return std::make_unique<Win32InputFile>(std::move(file));
}

bool Win32FileSystem::replaceContent(const std::string& path, std::string_view bytes) {
  Win32FileOperations operations;
  return replaceFileContent(operations, path, bytes, isAnsiLeadByte);
}

bool Win32FileSystem::replaceContentWide(const std::u16string& path, std::string_view bytes) {
  Win32WideFileOperations operations;
  return replaceFileContent(operations, path, bytes);
}

ReplaceResult Win32FileSystem::replaceSharedContentWide(const std::u16string& path, std::string_view bytes) {
  Win32WideFileOperations operations;
  ReplaceOutcome outcome = replaceSharedFileContent(operations, path, bytes);
  // A path too long to try at all fails before any call: it names no file.
  std::uint32_t error = outcome == ReplaceOutcome::Failed ? operations.lastError() : 0;
  if (outcome == ReplaceOutcome::Failed && error == 0) error = ERROR_PATH_NOT_FOUND;
  return {outcome, error};
}

bool Win32FileSystem::exists(const std::string& path) {
  return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32FileSystem::existsWide(const std::u16string& path) {
  return !path.empty() && GetFileAttributesW(asWide(path)) != INVALID_FILE_ATTRIBUTES;
}

bool Win32FileSystem::createFolderWide(const std::u16string& path) {
  if (path.empty() || !fitsWindowsPath(path)) return false;
  if (CreateDirectoryW(asWide(path), nullptr)) return true;
  DWORD attributes = GetFileAttributesW(asWide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace tavrik
