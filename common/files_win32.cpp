#include "common/files_win32.h"

#include <windows.h>

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

// A failing call returns at once, so that GetLastError still holds its code
// when the save asks for it.
class Win32NewFile final : public NewFile {
 public:
  explicit Win32NewFile(UniqueFile file) : file_(std::move(file)) {}
  std::size_t write(const char* bytes, std::size_t count) override {
    DWORD ask = count > 0x100000u ? 0x100000u : static_cast<DWORD>(count);
    DWORD written = 0;
    if (!WriteFile(file_.get(), bytes, ask, &written, nullptr)) return 0;
    return written;
  }
  bool flush() override { return FlushFileBuffers(file_.get()) != 0; }
  bool close() override { return CloseHandle(file_.release()) != 0; }

 private:
  UniqueFile file_;
};

std::unique_ptr<InputFile> openedForReading(HANDLE opened) {
  UniqueFile file(opened);
  if (!file) return nullptr;
  return std::make_unique<Win32InputFile>(std::move(file));
}

// The old file must be ours to replace: a read-only file or one that another
// program holds open is refused here, before anything is written.
bool openedForWritingOrMissing(HANDLE opened) {
  UniqueFile file(opened);
  return file || GetLastError() == ERROR_FILE_NOT_FOUND;
}

std::unique_ptr<NewFile> createdOrWhyNot(HANDLE created, bool& nameTaken) {
  UniqueFile file(created);
  if (file) return std::make_unique<Win32NewFile>(std::move(file));
  // A folder by that name answers "access denied", as does a folder we may
  // not write in: both let the next name be tried.
  DWORD error = GetLastError();
  nameTaken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
  return nullptr;
}

// After a refused rename: "access denied" or a sharing violation onto a plain
// file we may write means another program holds it open. A folder or a
// read-only file in its place refuses the same way, but for good. The
// rename's error stays the one GetLastError answers.
ReplaceOutcome refusedRename(DWORD renameError, DWORD targetAttributes) {
  SetLastError(renameError);
  bool sharing = renameError == ERROR_ACCESS_DENIED || renameError == ERROR_SHARING_VIOLATION ||
                 renameError == ERROR_LOCK_VIOLATION;
  bool plainFile = targetAttributes != INVALID_FILE_ATTRIBUTES &&
                   !(targetAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
  return sharing && plainFile ? ReplaceOutcome::HeldElsewhere : ReplaceOutcome::Failed;
}

// One rename, which the file system does whole or not at all. ReplaceFile
// would keep the old file's attributes and security, but it takes several
// steps (Wine's renames the old file away, deletes it and only then moves the
// new one in): a process killed between them leaves no file at all, and a
// reader would find none in between.
constexpr DWORD kRenameFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

}  // namespace

std::unique_ptr<InputFile> Win32Files::openExclusive(const std::string& path) {
  return openedForReading(
      CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::unique_ptr<InputFile> Win32Files::openExclusive(const std::u16string& path) {
  return openedForReading(
      CreateFileW(asWide(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool Win32Files::exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32Files::exists(const std::u16string& path) {
  return GetFileAttributesW(asWide(path)) != INVALID_FILE_ATTRIBUTES;
}

bool Win32Files::createFolder(const std::u16string& path) {
  if (CreateDirectoryW(asWide(path), nullptr)) return true;
  DWORD attributes = GetFileAttributesW(asWide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Files::replaceable(const std::string& path) {
  return openedForWritingOrMissing(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool Win32Files::replaceable(const std::u16string& path) {
  return openedForWritingOrMissing(
      CreateFileW(asWide(path), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::unique_ptr<NewFile> Win32Files::createNew(const std::string& path, bool& nameTaken) {
  return createdOrWhyNot(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr), nameTaken);
}

std::unique_ptr<NewFile> Win32Files::createNew(const std::u16string& path, bool& nameTaken) {
  return createdOrWhyNot(
      CreateFileW(asWide(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr), nameTaken);
}

ReplaceOutcome Win32Files::replace(const std::string& target, const std::string& replacement) {
  if (MoveFileExA(replacement.c_str(), target.c_str(), kRenameFlags)) return ReplaceOutcome::Replaced;
  DWORD error = GetLastError();
  return refusedRename(error, GetFileAttributesA(target.c_str()));
}

ReplaceOutcome Win32Files::replace(const std::u16string& target, const std::u16string& replacement) {
  if (MoveFileExW(asWide(replacement), asWide(target), kRenameFlags)) return ReplaceOutcome::Replaced;
  DWORD error = GetLastError();
  return refusedRename(error, GetFileAttributesW(asWide(target)));
}

bool Win32Files::remove(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool Win32Files::remove(const std::u16string& path) { return DeleteFileW(asWide(path)) != 0; }

std::uint32_t Win32Files::lastError() const { return GetLastError(); }

}  // namespace tavrik
