// A folder in memory under the save's file calls, numbering every call so that
// a test can make any one of them fail, or stop the process there.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>

#include "common/file_operations.h"
#include "common/host_folder.h"

namespace tavrik::testing {

// Thrown at the step where the process dies: nothing after it happens, and
// the files stay as the earlier steps left them.
struct ProcessKilled {};

// A folder under paths of type `Path`, answering the calls of `Operations`.
template <class Path, class Operations>
class BasicStepDisk : public Operations {
 public:
  std::map<Path, std::string> files;
  std::set<Path> locked;  // held open elsewhere: not opened, replaced or deleted
  int failAt = -1;               // the step that fails
  int killAt = -1;               // the step that never happens, nor any after it
  std::size_t writeLimit = 7;    // bytes one write takes at most
  int steps = 0;
  std::set<Path> touched;  // every path a call named

  bool replaceable(const Path& path) override { return step(path) && !locked.count(path); }

  std::unique_ptr<NewFile> createNew(const Path& path, bool& nameTaken) override {
    bool ok = step(path) && fitsWindowsPath(path);
    nameTaken = ok && files.count(path);
    if (!ok || nameTaken) return nullptr;
    files[path];
    return std::make_unique<File>(*this, path);
  }

  ReplaceOutcome replace(const Path& target, const Path& replacement) override {
    if (!step(target) || !files.count(replacement)) return ReplaceOutcome::Failed;
    if (locked.count(target)) return ReplaceOutcome::HeldElsewhere;
    files[target] = files[replacement];
    files.erase(replacement);
    return ReplaceOutcome::Replaced;
  }

  bool remove(const Path& path) override {
    if (!step(path) || locked.count(path)) return false;
    return files.erase(path) == 1;
  }

 protected:
  bool step(const Path& path) {
    touched.insert(path);
    int n = steps++;
    if (killAt >= 0 && n >= killAt) throw ProcessKilled{};
    return n != failAt;
  }

  class File : public NewFile {
   public:
    File(BasicStepDisk& disk, Path path) : disk_(disk), path_(std::move(path)) {}
    std::size_t write(const char* bytes, std::size_t count) override {
      bool ok = disk_.step(path_);
      std::size_t n = std::min(count, disk_.writeLimit);
      // A failed write may still have put part of its bytes on the disk.
      if (!ok) n /= 2;
      disk_.files[path_].append(bytes, n);
      return ok ? n : 0;
    }
    bool flush() override { return disk_.step(path_); }
    bool close() override { return disk_.step(path_); }

   private:
    BasicStepDisk& disk_;
    Path path_;
  };
};

using StepDisk = BasicStepDisk<std::string, FileOperations>;
using WideStepDisk = BasicStepDisk<std::u16string, WideFileOperations>;

}  // namespace tavrik::testing
