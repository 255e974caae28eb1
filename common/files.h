// Every file call the plug-in makes, one by one, with paths in the ANSI code
// page (std::string) or in UTF-16 (std::u16string): reading a file nobody
// else may have open, and the steps a save is made of, so that the logic
// above them (reading whole files, the save in replace_content.h) runs over
// an in-memory disk that fails or stops at any of them.
//
// Paths come as the callers made them, each kept within the 260-unit limit
// (host_folder.h) by the caller: past it a name means some other file, or
// none.
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
// that failed, which says why.
struct ReplaceResult {
  ReplaceOutcome outcome = ReplaceOutcome::Failed;
  std::uint32_t error = 0;

  friend bool operator==(const ReplaceResult& result, ReplaceOutcome outcome) { return result.outcome == outcome; }
  friend bool operator!=(const ReplaceResult& result, ReplaceOutcome outcome) { return result.outcome != outcome; }
};

// A file opened for reading.
class InputFile {
 public:
  virtual ~InputFile() = default;
  // Reads up to `capacity` bytes; answers how many arrived (0 at the end or on
  // a read error).
  virtual std::size_t read(char* buffer, std::size_t capacity) = 0;
  // How many bytes the file holds as far as is known at opening, 0 when not
  // known; only used to reserve room, so the file may still differ.
  virtual std::size_t sizeHint() { return 0; }
};

// A file this process has just created, open for writing.
class NewFile {
 public:
  // Closes the file when close() was not called, ignoring any error.
  virtual ~NewFile() = default;
  // Writes up to `count` bytes; answers how many were written, 0 on failure.
  virtual std::size_t write(const char* bytes, std::size_t count) = 0;
  // Pushes what was written down to the disk: until then a power cut may
  // lose it, even from a file that was closed and renamed.
  virtual bool flush() = 0;
  // Closes the file; after a failure it is closed all the same.
  virtual bool close() = 0;
};

class Files {
 public:
  virtual ~Files() = default;

  // Opens for reading without sharing: a file another program holds open or
  // a missing one gives nullptr.
  virtual std::unique_ptr<InputFile> openExclusive(const std::string& path) = 0;
  virtual std::unique_ptr<InputFile> openExclusive(const std::u16string& path) = 0;

  // Whether anything (a file, a folder) has that name: a file that does not
  // open may be missing, or there and unreadable.
  virtual bool exists(const std::string& path) = 0;
  virtual bool exists(const std::u16string& path) = 0;

  // Makes the folder `path` (its parent must be there); true when it is there
  // afterwards, made now or before. Only the settings folder, named in
  // UTF-16, ever gets folders of ours.
  virtual bool createFolder(const std::u16string& path) = 0;

  // Whether `path` may be replaced: true when it is missing or a file we may
  // write, false when it is read-only, held open elsewhere, a folder, ...
  // The save of a file others read never asks: the check opens the file,
  // which would shut a reader out.
  virtual bool replaceable(const std::string& path) = 0;
  virtual bool replaceable(const std::u16string& path) = 0;

  // Creates `path` only when no file of that name exists; an existing file is
  // never opened. Null, with `nameTaken` telling that another name may do,
  // when it is not created.
  virtual std::unique_ptr<NewFile> createNew(const std::string& path, bool& nameTaken) = 0;
  virtual std::unique_ptr<NewFile> createNew(const std::u16string& path, bool& nameTaken) = 0;

  // Puts `replacement` in the place of `target`, old file or none, in one
  // step that either happens whole or not at all, and is on the disk when
  // it answers.
  virtual ReplaceOutcome replace(const std::string& target, const std::string& replacement) = 0;
  virtual ReplaceOutcome replace(const std::u16string& target, const std::u16string& replacement) = 0;

  // Deletes a file; false when it is not there or cannot be deleted.
  virtual bool remove(const std::string& path) = 0;
  virtual bool remove(const std::u16string& path) = 0;

  // The system's error code of the call that just failed (a write or a flush
  // included), asked right after it and on the same thread.
  virtual std::uint32_t lastError() const = 0;
};

// Reads an opened file to its end.
std::string readWhole(InputFile& file);

// Reads `file` in chunks of `chunkSize` bytes, appending each to `content` up
// to its first NUL when `stopAtNul`, until a read answers less than a whole
// chunk.
void readChunks(InputFile& file, std::size_t chunkSize, bool stopAtNul, std::string& content);

}  // namespace tavrik
