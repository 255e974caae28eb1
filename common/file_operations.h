// The file calls a save is made of, one by one, so that the save's logic can
// run over a double that fails or stops at any of them.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace tavrik {

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

enum class TargetState {
  missing,      // nothing by that name: the save creates it
  replaceable,  // a file we may write over
  refused,      // read-only, held open by another program, a folder, ...
};

class FileOperations {
 public:
  virtual ~FileOperations() = default;
  virtual TargetState probe(const std::string& path) = 0;
  // Creates `path` only when no file of that name exists; an existing file is
  // never opened. Null, with `nameTaken` telling why, when it is not created.
  virtual std::unique_ptr<NewFile> createNew(const std::string& path, bool& nameTaken) = 0;
  // Puts `replacement` in the place of `target` in one step; `targetExists`
  // tells whether there is an old file to replace.
  virtual bool replace(const std::string& target, const std::string& replacement,
                       bool targetExists) = 0;
  // Deletes a file; false when it is not there or cannot be deleted.
  virtual bool remove(const std::string& path) = 0;
};

}  // namespace tavrik
