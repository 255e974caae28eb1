// The file calls a save is made of, one by one, so that the save's logic can
// run over a double that fails or stops at any of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tavrik {

// How a replace of a file went.
enum class ReplaceOutcome {
  Replaced,
  // Another program has the file open and does not let it be replaced (a
  // reader that opened it without FILE_SHARE_DELETE): worth another try soon.
  HeldElsewhere,
  // Anything else: no such folder, a read-only file, a full disk...
  Failed,
};

// A replace's outcome, and for a failure the system's error code of the step
// that failed (0 when it is not known), which says why.
struct ReplaceResult {
  ReplaceOutcome outcome = ReplaceOutcome::Failed;
  std::uint32_t error = 0;

  friend bool operator==(const ReplaceResult& result, ReplaceOutcome outcome) { return result.outcome == outcome; }
  friend bool operator!=(const ReplaceResult& result, ReplaceOutcome outcome) { return result.outcome != outcome; }
};

// A file this process has just created, open for writing.
class NewFile {
 public:
  // Closes the file when close() was not called, ignoring any error.
  virtual ~NewFile() = default;
  // Writes up to `count` bytes; answers how many were written, 0 on failure.
  virtual std::size_t write(const char* bytes, std::size_t count) = 0;
  // Pushes what was written down to the disk.
  virtual bool flush() = 0;
  // Closes the file; after a failure it is closed all the same.
  virtual bool close() = 0;
};

// The calls with paths in the ANSI code page (std::string) or in UTF-16
// (std::u16string).
template <class Path>
class BasicFileOperations {
 public:
  virtual ~BasicFileOperations() = default;
  // Whether `path` may be replaced: true when it is missing or a file we may
  // write, false when it is read-only, held open elsewhere, a folder, ...
  // The save of a file others read never asks: the check opens the file,
  // which would shut a reader out.
  virtual bool replaceable(const Path& path) = 0;
  // Creates `path` only when no file of that name exists; an existing file is
  // never opened. Null, with `nameTaken` telling why, when it is not created.
  virtual std::unique_ptr<NewFile> createNew(const Path& path, bool& nameTaken) = 0;
  // Puts `replacement` in the place of `target`, old file or none, in one
  // step that either happens whole or not at all.
  virtual ReplaceOutcome replace(const Path& target, const Path& replacement) = 0;
  // Deletes a file; false when it is not there or cannot be deleted.
  virtual bool remove(const Path& path) = 0;
  // The system's error code of the last call that failed (a write or a
  // flush included), 0 when none did or it is not known.
  virtual std::uint32_t lastError() const { return 0; }
};

using FileOperations = BasicFileOperations<std::string>;
using WideFileOperations = BasicFileOperations<std::u16string>;

}  // namespace tavrik
