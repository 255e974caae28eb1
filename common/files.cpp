#include "common/files.h"

#include <cstring>
#include <memory>

namespace tavrik {

void readChunks(InputFile& file, std::size_t chunkSize, bool stopAtNul, std::string& content) {
  // Room for the whole file at once: no copies as the text grows, and the
  // chunks go through one small buffer that stays in the cache.
  content.reserve(content.size() + file.sizeHint() + 1);
  std::unique_ptr<char[]> chunk(new char[chunkSize]);
  for (;;) {
    std::size_t got = file.read(chunk.get(), chunkSize);
    const void* nul = stopAtNul ? std::memchr(chunk.get(), '\0', got) : nullptr;
    content.append(chunk.get(), nul ? static_cast<const char*>(nul) - chunk.get() : got);
    if (got < chunkSize) return;
  }
}

std::string readWhole(InputFile& file) {
  std::string content;
  readChunks(file, 64 * 1024, false, content);
  return content;
}

}  // namespace tavrik
