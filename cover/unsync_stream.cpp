#include "cover/unsync_stream.h"

#include <algorithm>

namespace tavrik {

std::size_t UnsyncStream::read(char* buffer, std::size_t capacity) {
  // Undone bytes are never more than stored ones: they fit where those came.
  while (capacity > 0) {
    std::size_t got = stored_.read(buffer, capacity);
    if (got == 0) return 0;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < got; ++i) {
      auto byte = static_cast<unsigned char>(buffer[i]);
      if (afterFF_ && byte == 0x00) {
        afterFF_ = false;
        continue;
      }
      afterFF_ = byte == 0xFF;
      buffer[kept++] = static_cast<char>(byte);
    }
    // A read that brought only the dropped zero reads on: 0 means the end.
    if (kept > 0) return kept;
  }
  return 0;
}

bool UnsyncStream::skip(std::uint64_t count) {
  char scratch[4096];
  while (count > 0) {
    std::size_t got = read(scratch, static_cast<std::size_t>(std::min<std::uint64_t>(count, sizeof scratch)));
    if (got == 0) return false;
    count -= got;
  }
  return true;
}

}  // namespace tavrik
