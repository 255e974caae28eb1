// The bytes the cover reader walks through, read in order: the track's file
// (buffered, so that the one-byte reads of a tag's texts cost no system
// call each), and windows onto a part of it (a tag, a chunk, a frame) that
// no read or skip leaves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "cover/cover_files.h"

namespace tavrik {

class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // Up to `capacity` bytes; 0 only at the end (or on a read error).
  virtual std::size_t read(char* buffer, std::size_t capacity) = 0;
  // False when the stream ends first.
  virtual bool skip(std::uint64_t count) = 0;
};

// Reads until `count` bytes arrived or the stream ends; answers how many.
std::size_t readUpTo(ByteStream& stream, char* buffer, std::size_t count);
inline bool readFully(ByteStream& stream, char* buffer, std::size_t count) {
  return readUpTo(stream, buffer, count) == count;
}
inline bool readByte(ByteStream& stream, unsigned char& byte) {
  return readFully(stream, reinterpret_cast<char*>(&byte), 1);
}

class FileStream final : public ByteStream {
 public:
  explicit FileStream(CoverFile& file);
  std::size_t read(char* buffer, std::size_t capacity) override;
  bool skip(std::uint64_t count) override;

 private:
  static constexpr std::size_t kBufferSize = 16 * 1024;
  CoverFile& file_;
  std::unique_ptr<char[]> buffer_;
  std::size_t next_ = 0;
  std::size_t end_ = 0;
};

// The next `limit` bytes of `inner`, and not one more.
class LimitedStream final : public ByteStream {
 public:
  LimitedStream(ByteStream& inner, std::uint64_t limit) : inner_(inner), left_(limit) {}
  std::size_t read(char* buffer, std::size_t capacity) override;
  bool skip(std::uint64_t count) override;
  // What the limit still allows: the file may hold fewer.
  std::uint64_t left() const { return left_; }
  bool skipRest() { return skip(left_); }

 private:
  ByteStream& inner_;
  std::uint64_t left_;
};

}  // namespace tavrik
