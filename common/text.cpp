#include "common/text.h"

namespace tavrik {

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  // Appending piece by piece keeps this linear; erase/insert in place would
  // move the tail once per occurrence.
  std::string result;
  result.reserve(text.size());
  std::size_t done = 0;
  for (std::size_t hit = text.find(from); hit != std::string_view::npos;
       hit = text.find(from, done)) {
    result.append(text, done, hit - done);
    result.append(to);
    done = hit + from.size();
  }
  result.append(text, done, std::string_view::npos);
  return result;
}

}  // namespace tavrik
