// The file calls the cover reader makes: a track's file opened for reading
// while the player plays it, read in order with skips, and the names in the
// track's folder. One Win32 adapter; the tests keep files in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavrik {

class CoverFile {
 public:
  virtual ~CoverFile() = default;
  // Reads up to `capacity` bytes from where the last read or skip ended;
  // answers how many arrived (0 at the end or on a read error).
  virtual std::size_t read(char* buffer, std::size_t capacity) = 0;
  // Moves `count` bytes on without reading them; false past the end.
  virtual bool skip(std::uint64_t count) = 0;
  // The file's size when it was opened.
  virtual std::uint64_t size() const = 0;
};

class CoverFiles {
 public:
  virtual ~CoverFiles() = default;
  // Opens for reading, sharing with every other reader and writer (the
  // player has the track open); null when missing or unreadable.
  virtual std::unique_ptr<CoverFile> openShared(const std::u16string& path) = 0;
  // The names (no folder) of the files in `folder` (its path ending in its
  // separator, "C:\Music\"), at most `limit` of them, in the order the
  // system gives; empty when the folder does not list.
  virtual std::vector<std::u16string> fileNamesIn(const std::u16string& folder, std::size_t limit) = 0;
};

}  // namespace tavrik
