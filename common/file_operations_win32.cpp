#include "common/file_operations_win32.h"

#include <windows.h>

#include "common/win32_handles.h"

namespace tavrik {

namespace {

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

}  // namespace

// The old file must be ours to replace: a read-only file or one that another
// program holds open is refused here, before anything is written.
bool Win32FileOperations::replaceable(const std::string& path) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  return file || GetLastError() == ERROR_FILE_NOT_FOUND;
}

std::unique_ptr<NewFile> Win32FileOperations::createNew(const std::string& path, bool& nameTaken) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) return std::make_unique<Win32NewFile>(std::move(file));
  // A folder by that name answers "access denied", as does a folder we may
  // not write in: both let the next name be tried.
  DWORD error = GetLastError();
  nameTaken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
              error == ERROR_ACCESS_DENIED;
  return nullptr;
}

// One rename, which the file system does whole or not at all. ReplaceFile
// would keep the old file's attributes and security, but it takes several
// steps (Wine's renames the old file away, deletes it and only then moves the
// new one in): a process killed between them leaves no file at all.
bool Win32FileOperations::replace(const std::string& target, const std::string& replacement) {
  return MoveFileExA(replacement.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool Win32FileOperations::remove(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool isAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }

}  // namespace tavrik
