#include "common/text.h"

namespace tavrik {

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::size_t hit = text.find(from);
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
    hit = text.find(from, done);
  }
  result.append(text.data() + done, text.size() - done);
  return result;
}

void removeBytes(std::string& text, std::string_view bytes) {
  std::size_t out = 0;
  for (char c : text) {
    if (bytes.find(c) == std::string_view::npos) text[out++] = c;
  }
  text.resize(out);
}

}  // namespace tavrik
