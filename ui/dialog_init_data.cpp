#include "ui/dialog_init_data.h"

#include <cstdint>

namespace tavrik {

namespace {

std::uint32_t readLittleEndian(const unsigned char* p, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | p[i];
  return value;
}

}  // namespace

std::vector<DialogInitEntry> parseDialogInitData(const unsigned char* bytes, std::size_t size) {
  std::vector<DialogInitEntry> entries;
  std::size_t at = 0;
  while (at + 2 <= size) {
    unsigned controlId = readLittleEndian(bytes + at, 2);
    if (controlId == 0 || size - at < 8) break;
    unsigned message = readLittleEndian(bytes + at + 2, 2);
    std::uint32_t length = readLittleEndian(bytes + at + 4, 4);
    at += 8;
    if (length > size - at) break;
    entries.push_back({controlId, message, std::string(reinterpret_cast<const char*>(bytes + at), length)});
    at += length;
  }
  return entries;
}

}  // namespace tavrik
