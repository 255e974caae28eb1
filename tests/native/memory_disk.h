// A disk in memory under the Files calls, for the unit tests, the fuzz
// targets and the benchmarks. Every call is a numbered step that a test can
// make fail, or kill the process at; a kill is a power cut too: what was
// written but never flushed is lost, and a rename that happened stays done.
// Files may be held open by another program, read-only, or in a folder
// that is not there; writes may be short, or find the disk full. Every call
// and every path it named is recorded.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/files.h"
#include "common/unicode_codec.h"

namespace tavrik::testing {

// Thrown at the step where the process dies: nothing after it happens, and
// the files stay as the earlier steps left them on the disk.
struct ProcessKilled {};

// The error codes the disk answers, as Windows' calls do.
inline constexpr std::uint32_t kFileNotFound = 2;       // ERROR_FILE_NOT_FOUND
inline constexpr std::uint32_t kPathNotFound = 3;       // ERROR_PATH_NOT_FOUND
inline constexpr std::uint32_t kAccessDenied = 5;       // ERROR_ACCESS_DENIED
inline constexpr std::uint32_t kSharingViolation = 32;  // ERROR_SHARING_VIOLATION
inline constexpr std::uint32_t kFileExists = 80;        // ERROR_FILE_EXISTS
inline constexpr std::uint32_t kDiskFull = 112;         // ERROR_DISK_FULL
inline constexpr std::uint32_t kAlreadyExists = 183;    // ERROR_ALREADY_EXISTS
inline constexpr std::uint32_t kIoDeviceError = 1117;   // ERROR_IO_DEVICE

// The disk's files under one kind of name. The disk knows no code page: a
// file named in ANSI and one named in UTF-16 are never the same file.
template <class Path>
struct DiskNames {
  std::map<Path, std::string> files;
  // Held open by another program without sharing: not opened, replaced or
  // deleted.
  std::set<Path> held;
  // Read-only files, and folders we may not write in: such a file opens for
  // reading but is never replaced or deleted, and no file is made in such a
  // folder.
  std::set<Path> readOnly;
  // Folders that are not there, until createFolder makes them: nothing is
  // found or made in them, nor in any folder below them. Every other folder
  // is there.
  std::set<Path> missingFolders;

  // Every path a call named.
  std::set<Path> touched;
  // Every replace that happened, in order: its target and what it got.
  std::vector<std::pair<Path, std::string>> replaced;

  bool inMissingFolder(const Path& path) const {
    for (const Path& folder : missingFolders) {
      if (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
          isSeparator(path[folder.size()])) {
        return true;
      }
    }
    return false;
  }
  bool writable(const Path& path) const { return !readOnly.count(path) && !readOnly.count(folderOf(path)); }
  static Path folderOf(const Path& path) {
    auto slash = std::find_if(path.rbegin(), path.rend(), isSeparator);
    return Path(path.begin(), slash == path.rend() ? path.begin() : std::prev(slash.base()));
  }
  static bool isSeparator(typename Path::value_type c) { return c == '\\' || c == '/'; }

  // For each file written since its last flush, how much of it was on the
  // disk before.
  std::map<Path, std::size_t> flushedLength;
};

class MemoryDisk : public Files {
 public:
  DiskNames<std::string> ansi;
  DiskNames<std::u16string> wide;

  int failAt = -1;  // the step that fails
  int killAt = -1;  // the step that never happens, nor any after it
  std::uint32_t failError = kIoDeviceError;  // what the failing step says
  std::size_t writeLimit = 7;  // bytes one write takes at most
  std::size_t room = std::numeric_limits<std::size_t>::max();  // bytes the disk still takes
  int steps = 0;
  // Every call, in order, with the path it named first (UTF-16 ones in
  // UTF-8, after "wide").
  std::vector<std::string> calls;
  std::vector<std::size_t> readSizes;  // every answer of a read, in order
  // Off for the benchmarks, which measure what reads the files, not this.
  bool keepRecords = true;

  // The power goes: every byte written since its file's last flush is gone.
  void cutPower() {
    cut(ansi);
    cut(wide);
  }

  std::unique_ptr<InputFile> openExclusive(const std::string& path) override { return open(ansi, "open", path); }
  std::unique_ptr<InputFile> openExclusive(const std::u16string& path) override { return open(wide, "open", path); }

  bool exists(const std::string& path) override { return step(ansi, "exists", path) && ansi.files.count(path); }
  bool exists(const std::u16string& path) override { return step(wide, "exists", path) && wide.files.count(path); }

  bool createFolder(const std::u16string& path) override {
    if (!step(wide, "create folder", path)) return false;
    if (wide.inMissingFolder(path)) return failed(false, kPathNotFound);
    if (wide.files.count(path)) return failed(false, kAlreadyExists);
    wide.missingFolders.erase(path);
    return true;
  }

  bool replaceable(const std::string& path) override { return replaceableIn(ansi, path); }
  bool replaceable(const std::u16string& path) override { return replaceableIn(wide, path); }

  std::unique_ptr<NewFile> createNew(const std::string& path, bool& nameTaken) override {
    return createIn(ansi, path, nameTaken);
  }
  std::unique_ptr<NewFile> createNew(const std::u16string& path, bool& nameTaken) override {
    return createIn(wide, path, nameTaken);
  }

  ReplaceOutcome replace(const std::string& target, const std::string& replacement) override {
    return replaceIn(ansi, target, replacement);
  }
  ReplaceOutcome replace(const std::u16string& target, const std::u16string& replacement) override {
    return replaceIn(wide, target, replacement);
  }

  bool remove(const std::string& path) override { return removeIn(ansi, path); }
  bool remove(const std::u16string& path) override { return removeIn(wide, path); }

  std::uint32_t lastError() const override { return lastError_; }

 private:
  static std::string shown(const std::string& path) { return path; }
  static std::string shown(const std::u16string& path) { return "wide " + encodeUtf8(path); }

  // Counts and records a call; false when it is the step that fails.
  template <class Path>
  bool step(DiskNames<Path>& names, const char* call, const Path& path) {
    if (keepRecords) {
      names.touched.insert(path);
      calls.push_back(std::string(call) + " " + shown(path));
    }
    int n = steps++;
    if (killAt >= 0 && n >= killAt) {
      cutPower();
      throw ProcessKilled{};
    }
    if (n != failAt) return true;
    lastError_ = failError;
    return false;
  }

  template <class T>
  T failed(T answer, std::uint32_t error) {
    lastError_ = error;
    return answer;
  }

  template <class Path>
  static void cut(DiskNames<Path>& names) {
    for (const auto& [path, length] : names.flushedLength) names.files[path].resize(length);
    names.flushedLength.clear();
  }

  template <class Path>
  std::unique_ptr<InputFile> open(DiskNames<Path>& names, const char* call, const Path& path) {
    if (!step(names, call, path)) return nullptr;
    auto found = names.files.find(path);
    if (found == names.files.end()) {
      return failed(nullptr, names.inMissingFolder(path) ? kPathNotFound : kFileNotFound);
    }
    if (names.held.count(path)) return failed(nullptr, kSharingViolation);
    return std::make_unique<Reader>(found->second, *this);
  }

  // As Windows answers an open for writing of the old file: a missing one is
  // fine, unless its folder is missing too.
  template <class Path>
  bool replaceableIn(DiskNames<Path>& names, const Path& path) {
    if (!step(names, "replaceable", path)) return false;
    if (names.held.count(path)) return failed(false, kSharingViolation);
    if (!names.files.count(path)) return !names.inMissingFolder(path) || failed(false, kPathNotFound);
    return !names.readOnly.count(path) || failed(false, kAccessDenied);
  }

  template <class Path>
  std::unique_ptr<NewFile> createIn(DiskNames<Path>& names, const Path& path, bool& nameTaken) {
    nameTaken = false;
    if (!step(names, "create", path)) return nullptr;
    if (names.inMissingFolder(path)) return failed(nullptr, kPathNotFound);
    // A folder we may not write in answers "access denied", as a folder of
    // that name does: the save takes it for a name that is taken.
    nameTaken = names.files.count(path) || !names.writable(path);
    if (nameTaken) return failed(nullptr, names.files.count(path) ? kFileExists : kAccessDenied);
    names.files[path];
    return std::make_unique<Writer<Path>>(*this, names, path);
  }

  template <class Path>
  ReplaceOutcome replaceIn(DiskNames<Path>& names, const Path& target, const Path& replacement) {
    if (keepRecords) names.touched.insert(replacement);
    if (!step(names, "replace", target)) return ReplaceOutcome::Failed;
    if (!names.files.count(replacement)) return failed(ReplaceOutcome::Failed, kFileNotFound);
    if (names.held.count(target)) return failed(ReplaceOutcome::HeldElsewhere, kSharingViolation);
    if (!names.writable(target)) return failed(ReplaceOutcome::Failed, kAccessDenied);
    names.files[target] = std::move(names.files[replacement]);
    names.files.erase(replacement);
    names.flushedLength.erase(target);
    auto unflushed = names.flushedLength.find(replacement);
    if (unflushed != names.flushedLength.end()) {
      names.flushedLength[target] = unflushed->second;
      names.flushedLength.erase(unflushed);
    }
    if (keepRecords) names.replaced.emplace_back(target, names.files[target]);
    return ReplaceOutcome::Replaced;
  }

  template <class Path>
  bool removeIn(DiskNames<Path>& names, const Path& path) {
    if (!step(names, "remove", path)) return false;
    if (!names.files.count(path)) return failed(false, kFileNotFound);
    if (names.held.count(path)) return failed(false, kSharingViolation);
    if (!names.writable(path)) return failed(false, kAccessDenied);
    names.files.erase(path);
    names.flushedLength.erase(path);
    return true;
  }

  // Opened without sharing, so nothing changes the file while it is read.
  class Reader : public InputFile {
   public:
    Reader(const std::string& content, MemoryDisk& disk) : content_(content), disk_(disk) {}
    std::size_t read(char* buffer, std::size_t capacity) override {
      std::size_t n = std::min(capacity, content_.size() - offset_);
      std::memcpy(buffer, content_.data() + offset_, n);
      offset_ += n;
      if (disk_.keepRecords) disk_.readSizes.push_back(n);
      return n;
    }
    std::size_t sizeHint() override { return content_.size(); }

   private:
    const std::string& content_;
    MemoryDisk& disk_;
    std::size_t offset_ = 0;
  };

  template <class Path>
  class Writer : public NewFile {
   public:
    Writer(MemoryDisk& disk, DiskNames<Path>& names, Path path) : disk_(disk), names_(names), path_(std::move(path)) {}
    std::size_t write(const char* bytes, std::size_t count) override {
      bool ok = disk_.step(names_, "write", path_);
      std::size_t n = std::min({count, disk_.writeLimit, disk_.room});
      // A failed write may still have put part of its bytes into the file.
      if (!ok) n /= 2;
      std::string& content = names_.files[path_];
      names_.flushedLength.emplace(path_, content.size());
      content.append(bytes, n);
      disk_.room -= n;
      if (!ok) return 0;
      if (n == 0 && count > 0) return disk_.failed(std::size_t{0}, kDiskFull);
      return n;
    }
    bool flush() override {
      if (!disk_.step(names_, "flush", path_)) return false;
      names_.flushedLength.erase(path_);
      return true;
    }
    // Closing pushes nothing down to the disk.
    bool close() override { return disk_.step(names_, "close", path_); }

   private:
    MemoryDisk& disk_;
    DiskNames<Path>& names_;
    Path path_;
  };

  std::uint32_t lastError_ = 0;
};

}  // namespace tavrik::testing
