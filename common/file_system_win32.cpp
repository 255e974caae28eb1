#include "common/file_system_win32.h"

#include <windows.h>

#include "common/file_operations_win32.h"
#include "common/host_folder.h"
#include "common/replace_content.h"
#include "common/win32_handles.h"

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

bool writeAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD ask = bytes.size() > 0x100000u ? 0x100000u : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), ask, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

bool writeFlushed(UniqueFile file, std::string_view bytes) {
  if (!file) return false;
  if (!writeAll(file.get(), bytes) || !FlushFileBuffers(file.get())) return false;
  return CloseHandle(file.release()) != 0;
}

const wchar_t* asWide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// A rename refused with "access denied" or a sharing violation onto a plain
// file we may write: another program holds it open. A folder or a read-only
// file in its place refuses the same way, but for good.
bool heldElsewhere(const std::u16string& path, DWORD renameError) {
  if (renameError != ERROR_ACCESS_DENIED && renameError != ERROR_SHARING_VIOLATION &&
      renameError != ERROR_LOCK_VIOLATION) {
    return false;
  }
  DWORD attributes = GetFileAttributesW(asWide(path));
  return attributes != INVALID_FILE_ATTRIBUTES &&
         !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
}

}  // namespace

std::unique_ptr<InputFile> Win32FileSystem::openExclusive(const std::string& path) {
  if (path.empty() || !fitsWindowsPath(path)) return nullptr;
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return nullptr;
  return std::make_unique<Win32InputFile>(std::move(file));
}

std::unique_ptr<InputFile> Win32FileSystem::openExclusiveWide(const std::u16string& path) {
  if (path.empty() || path.size() >= kMaxPathBytes) return nullptr;
  UniqueFile file(CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return nullptr;
  return std::make_unique<Win32InputFile>(std::move(file));
}

bool Win32FileSystem::replaceContent(const std::string& path, std::string_view bytes) {
  Win32FileOperations operations;
  return replaceFileContent(operations, path, bytes, isAnsiLeadByte);
}

ReplaceOutcome Win32FileSystem::replaceContentWide(const std::u16string& path, std::string_view bytes) {
  std::u16string temporary = path + u".tmp";
  if (path.empty() || temporary.size() >= kMaxPathBytes) return ReplaceOutcome::Failed;
  if (!writeFlushed(UniqueFile(CreateFileW(asWide(temporary), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr)),
                    bytes)) {
    DeleteFileW(asWide(temporary));
    return ReplaceOutcome::Failed;
  }
  // One rename, never ReplaceFile: Wine's takes the old file away before the
  // new one is in place, and a reader would find no file in between.
  if (MoveFileExW(asWide(temporary), asWide(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return ReplaceOutcome::Replaced;
  }
  DWORD error = GetLastError();
  DeleteFileW(asWide(temporary));
  return heldElsewhere(path, error) ? ReplaceOutcome::HeldElsewhere : ReplaceOutcome::Failed;
}

bool Win32FileSystem::exists(const std::string& path) {
  return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace tavrik
