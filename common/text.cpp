#include "common/text.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace tavrik {

namespace {

// memchr for the first byte, then a compare: far faster than a byte-by-byte
// search on long texts with few candidates.
std::size_t findBytes(std::string_view text, std::string_view what, std::size_t from) {
  while (from + what.size() <= text.size()) {
    const void* hit = std::memchr(text.data() + from, what[0], text.size() - what.size() + 1 - from);
    if (!hit) return std::string_view::npos;
    std::size_t at = static_cast<const char*>(hit) - text.data();
    if (std::memcmp(text.data() + at + 1, what.data() + 1, what.size() - 1) == 0) return at;
    from = at + 1;
  }
  return std::string_view::npos;
}

}  // namespace

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::size_t hit = findBytes(text, from, 0);
  if (hit == std::string_view::npos) return std::string(text);

  // Appending piece by piece keeps this linear; erase/insert in place would
  // move the tail once per occurrence.
  std::string result;
  result.reserve(to.size() > from.size() ? text.size() + (to.size() - from.size()) * 8 : text.size());
  std::size_t done = 0;
  while (hit != std::string_view::npos) {
    result.append(text.data() + done, hit - done);
    result.append(to);
    done = hit + from.size();
    hit = findBytes(text, from, done);
  }
  result.append(text.data() + done, text.size() - done);
  return result;
}

void removeBytes(std::string& text, std::string_view bytes) {
  if (bytes.empty()) return;
  std::array<bool, 256> removed{};
  std::array<std::uint64_t, 4> patterns{};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    removed[c] = true;
    if (i < patterns.size()) patterns[i] = 0x0101010101010101ull * c;
  }
  // Unused patterns repeat the first one, so every word checks all four.
  for (std::size_t i = bytes.size(); i < patterns.size(); ++i) patterns[i] = patterns[0];
  const bool wordAtATime = bytes.size() <= patterns.size();

  char* data = text.data();
  const std::size_t size = text.size();
  std::size_t in = 0, out = 0;
  auto keepOne = [&](std::size_t at) {
    char c = data[at];
    data[out] = c;
    out += !removed[static_cast<unsigned char>(c)];
  };
  // Most texts have few bytes to remove: eight bytes at a time are checked
  // with word arithmetic and moved as one. The write position never passes
  // the read position, so a word is read before anything is written over it.
  for (; wordAtATime && in + 8 <= size; in += 8) {
    std::uint64_t word;
    std::memcpy(&word, data + in, 8);
    std::uint64_t any = 0;
    for (std::uint64_t pattern : patterns) {
      std::uint64_t x = word ^ pattern;
      any |= (x - 0x0101010101010101ull) & ~x;
    }
    if ((any & 0x8080808080808080ull) == 0) {
      std::memcpy(data + out, &word, 8);
      out += 8;
    } else {
      for (std::size_t k = 0; k < 8; ++k) keepOne(in + k);
    }
  }
  for (; in < size; ++in) keepOne(in);
  text.resize(out);
}

}  // namespace tavrik
