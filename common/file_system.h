// File operations the logic needs: reading a file that nobody else may have
// open, replacing a file's whole content without risking the old one, and
// asking what is there.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "common/file_operations.h"

namespace tavrik {

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

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Opens for reading without sharing: a file another program holds open, a
  // missing file or a path that does not fit 260 bytes gives nullptr.
  virtual std::unique_ptr<InputFile> openExclusive(const std::string& path) = 0;
  // The same for a path in UTF-16 (at most 259 units), for names the ANSI
  // code page cannot hold.
  virtual std::unique_ptr<InputFile> openExclusiveWide(const std::u16string& path) = 0;
  // Writes `bytes` to a new temporary file beside `path`, flushes it and only
  // then puts it in the place of `path`. On any failure `path` is left exactly
  // as it was and the answer is false; a temporary file left behind (by a
  // killed process, say) is removed by the next save. A path that does not fit
  // 260 bytes is never touched.
  virtual bool replaceContent(const std::string& path, std::string_view bytes) = 0;
  // The same for a path in UTF-16 (at most 259 units), for folders the ANSI
  // code page cannot name.
  virtual bool replaceContentWide(const std::u16string& path, std::string_view bytes) = 0;
  // The same for a file other programs read while we write it, named in
  // UTF-16 (at most 259 units): `path` itself is never opened, so a reader is
  // never shut out, and it is replaced in one rename, so a reader finds the
  // old content or the whole new one, never a missing, empty or partial file.
  // On any outcome but Replaced `path` is left as it was.
  // A failure says its error code, for the settings dialog to show why.
  virtual ReplaceResult replaceSharedContentWide(const std::u16string& path, std::string_view bytes) = 0;
  // Whether anything (a file, a folder) has that name: a file that does not
  // open may be missing, or there and unreadable.
  virtual bool exists(const std::string& path) = 0;
  virtual bool existsWide(const std::u16string& path) = 0;
  // Makes the folder `path` (its parent must be there); true when it is there
  // afterwards, made now or before.
  virtual bool createFolderWide(const std::u16string& path) = 0;
};

// Reads an opened file to its end.
std::string readWhole(InputFile& file);

// Reads `file` in chunks of `chunkSize` bytes, appending each to `content` up
// to its first NUL when `stopAtNul`, until a read answers less than a whole
// chunk.
void readChunks(InputFile& file, std::size_t chunkSize, bool stopAtNul, std::string& content);

}  // namespace tavrik
