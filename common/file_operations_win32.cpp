#include "common/file_operations_win32.h"

#include <windows.h>

#include "common/win32_handles.h"
#include "common/win32_text.h"

namespace tavrik {

namespace {

// Each call that fails keeps its error code in `lastError`, which the file's
// operations own and outlive it.
class Win32NewFile final : public NewFile {
 public:
  Win32NewFile(UniqueFile file, std::uint32_t& lastError) : file_(std::move(file)), lastError_(lastError) {}
  std::size_t write(const char* bytes, std::size_t count) override {
    DWORD ask = count > 0x100000u ? 0x100000u : static_cast<DWORD>(count);
    DWORD written = 0;
    if (!WriteFile(file_.get(), bytes, ask, &written, nullptr)) return failed(0);
    return written;
  }
  bool flush() override { return FlushFileBuffers(file_.get()) != 0 || failed(false); }
  bool close() override { return CloseHandle(file_.release()) != 0 || failed(false); }

 private:
  template <typename T>
  T failed(T answer) {
    lastError_ = GetLastError();
    return answer;
  }
  UniqueFile file_;
  std::uint32_t& lastError_;
};

std::unique_ptr<NewFile> newFileOrWhyNot(HANDLE created, bool& nameTaken, std::uint32_t& lastError) {
  UniqueFile file(created);
  if (file) return std::make_unique<Win32NewFile>(std::move(file), lastError);
  // A folder by that name answers "access denied", as does a folder we may
  // not write in: both let the next name be tried.
  DWORD error = GetLastError();
  lastError = error;
  nameTaken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
              error == ERROR_ACCESS_DENIED;
  return nullptr;
}

// After a refused rename: "access denied" or a sharing violation onto a plain
// file we may write means another program holds it open. A folder or a
// read-only file in its place refuses the same way, but for good.
ReplaceOutcome refusedRename(DWORD renameError, DWORD targetAttributes) {
  bool sharing = renameError == ERROR_ACCESS_DENIED || renameError == ERROR_SHARING_VIOLATION ||
                 renameError == ERROR_LOCK_VIOLATION;
  bool plainFile = targetAttributes != INVALID_FILE_ATTRIBUTES &&
                   !(targetAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
  return sharing && plainFile ? ReplaceOutcome::HeldElsewhere : ReplaceOutcome::Failed;
}

constexpr DWORD kRenameFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

}  // namespace

// The old file must be ours to replace: a read-only file or one that another
// program holds open is refused here, before anything is written.
bool Win32FileOperations::replaceable(const std::string& path) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  return file || GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool Win32WideFileOperations::replaceable(const std::u16string& path) {
  UniqueFile file(CreateFileW(asWide(path), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
  return file || GetLastError() == ERROR_FILE_NOT_FOUND;
}

std::unique_ptr<NewFile> Win32FileOperations::createNew(const std::string& path, bool& nameTaken) {
  return newFileOrWhyNot(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr),
                         nameTaken, lastError_);
}

// One rename, which the file system does whole or not at all. ReplaceFile
// would keep the old file's attributes and security, but it takes several
// steps (Wine's renames the old file away, deletes it and only then moves the
// new one in): a process killed between them leaves no file at all, and a
// reader would find none in between.
ReplaceOutcome Win32FileOperations::replace(const std::string& target, const std::string& replacement) {
  if (MoveFileExA(replacement.c_str(), target.c_str(), kRenameFlags)) return ReplaceOutcome::Replaced;
  DWORD error = GetLastError();
  lastError_ = error;
  return refusedRename(error, GetFileAttributesA(target.c_str()));
}

bool Win32FileOperations::remove(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

std::unique_ptr<NewFile> Win32WideFileOperations::createNew(const std::u16string& path, bool& nameTaken) {
  return newFileOrWhyNot(CreateFileW(asWide(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr),
                         nameTaken, lastError_);
}

ReplaceOutcome Win32WideFileOperations::replace(const std::u16string& target,
                                                const std::u16string& replacement) {
  if (MoveFileExW(asWide(replacement), asWide(target), kRenameFlags)) return ReplaceOutcome::Replaced;
  DWORD error = GetLastError();
  lastError_ = error;
  return refusedRename(error, GetFileAttributesW(asWide(target)));
}

bool Win32WideFileOperations::remove(const std::u16string& path) { return DeleteFileW(asWide(path)) != 0; }

}  // namespace tavrik
