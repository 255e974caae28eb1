#include "common/file_system.h"

namespace tavrik {

std::string readWhole(InputFile& file) {
  std::string content;
  constexpr std::size_t kChunk = 64 * 1024;
  for (;;) {
    std::size_t used = content.size();
    content.resize(used + kChunk);
    std::size_t got = file.read(content.data() + used, kChunk);
    content.resize(used + got);
    if (got == 0) return content;
  }
}

}  // namespace tavrik
