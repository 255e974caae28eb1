#include "cover/cover_files_win32.h"

#include <windows.h>

#include "common/win32_handles.h"
#include "common/win32_text.h"

namespace tavrik {
namespace {

struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle invalid() { return INVALID_HANDLE_VALUE; }
  static void close(Handle h) { FindClose(h); }
};
using UniqueFind = UniqueWin32<FindHandleTraits>;

class Win32CoverFile final : public CoverFile {
 public:
  Win32CoverFile(UniqueFile file, std::uint64_t size) : file_(std::move(file)), size_(size) {}

  std::size_t read(char* buffer, std::size_t capacity) override {
    DWORD ask = capacity > 0x40000000u ? 0x40000000u : static_cast<DWORD>(capacity);
    DWORD got = 0;
    if (!ReadFile(file_.get(), buffer, ask, &got, nullptr)) return 0;
    return got;
  }
  // The system moves past the end without complaint: the size says.
  bool skip(std::uint64_t count) override {
    if (count > size_) return false;
    LARGE_INTEGER move{};
    move.QuadPart = static_cast<LONGLONG>(count);
    LARGE_INTEGER at{};
    if (!SetFilePointerEx(file_.get(), move, &at, FILE_CURRENT)) return false;
    return static_cast<std::uint64_t>(at.QuadPart) <= size_;
  }
  std::uint64_t size() const override { return size_; }

 private:
  UniqueFile file_;
  std::uint64_t size_;
};

}  // namespace

std::unique_ptr<CoverFile> Win32CoverFiles::openShared(const std::u16string& path) {
  UniqueFile file(CreateFileW(asWide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return nullptr;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return nullptr;
  return std::make_unique<Win32CoverFile>(std::move(file), static_cast<std::uint64_t>(size.QuadPart));
}

std::vector<std::u16string> Win32CoverFiles::fileNamesIn(const std::u16string& folder, std::size_t limit) {
  std::vector<std::u16string> names;
  bool separated = !folder.empty() && (folder.back() == u'\\' || folder.back() == u'/');
  std::u16string pattern = folder + (separated ? u"*" : u"\\*");
  WIN32_FIND_DATAW found{};
  UniqueFind search(FindFirstFileW(asWide(pattern), &found));
  if (!search) return names;
  do {
    if (names.size() >= limit) break;
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      names.emplace_back(reinterpret_cast<const char16_t*>(found.cFileName));
    }
  } while (FindNextFileW(search.get(), &found));
  return names;
}

}  // namespace tavrik
