#include "common/text.h"

namespace tavrik {

namespace {

template <typename Char>
std::basic_string<Char> replaceEvery(std::basic_string_view<Char> text, std::basic_string_view<Char> from,
                                     std::basic_string_view<Char> to) {
  if (from.empty()) return std::basic_string<Char>(text);
  // Appending piece by piece keeps this linear; erase/insert in place would
  // move the tail once per occurrence.
  std::basic_string<Char> result;
  result.reserve(text.size());
  std::size_t done = 0;
  for (std::size_t hit = text.find(from); hit != std::basic_string_view<Char>::npos;
       hit = text.find(from, done)) {
    result.append(text, done, hit - done);
    result.append(to);
    done = hit + from.size();
  }
  result.append(text, done, std::basic_string_view<Char>::npos);
  return result;
}

}  // namespace

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
  return replaceEvery(text, from, to);
}

std::u16string replaceAll(std::u16string_view text, std::u16string_view from, std::u16string_view to) {
  return replaceEvery(text, from, to);
}

}  // namespace tavrik
