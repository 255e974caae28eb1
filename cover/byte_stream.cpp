#include "cover/byte_stream.h"

#include <algorithm>
#include <cstring>

namespace tavrik {

std::size_t readUpTo(ByteStream& stream, char* buffer, std::size_t count) {
  std::size_t got = 0;
  while (got < count) {
    std::size_t arrived = stream.read(buffer + got, count - got);
    if (arrived == 0) break;
    got += arrived;
  }
  return got;
}

FileStream::FileStream(CoverFile& file) : file_(file), buffer_(new char[kBufferSize]) {}

std::size_t FileStream::read(char* buffer, std::size_t capacity) {
  if (capacity == 0) return 0;
  if (next_ == end_) {
    // A picture's data goes straight to its place, not through the buffer.
    if (capacity >= kBufferSize) return std::min(file_.read(buffer, capacity), capacity);
    next_ = 0;
    end_ = std::min(file_.read(buffer_.get(), kBufferSize), kBufferSize);
    if (end_ == 0) return 0;
  }
  std::size_t count = std::min(capacity, end_ - next_);
  std::memcpy(buffer, buffer_.get() + next_, count);
  next_ += count;
  return count;
}

bool FileStream::skip(std::uint64_t count) {
  std::size_t buffered = end_ - next_;
  if (count <= buffered) {
    next_ += static_cast<std::size_t>(count);
    return true;
  }
  count -= buffered;
  next_ = end_ = 0;
  return file_.skip(count);
}

std::size_t LimitedStream::read(char* buffer, std::size_t capacity) {
  std::size_t ask = static_cast<std::size_t>(std::min<std::uint64_t>(capacity, left_));
  if (ask == 0) return 0;
  std::size_t got = std::min(inner_.read(buffer, ask), ask);
  left_ -= got;
  return got;
}

bool LimitedStream::skip(std::uint64_t count) {
  if (count > left_) return false;
  left_ -= count;
  return inner_.skip(count);
}

}  // namespace tavrik
