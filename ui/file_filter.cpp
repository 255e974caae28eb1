#include "ui/file_filter.h"

namespace tavrik {

std::string nulSeparatedFilter(std::string_view barSeparated,
                               const std::function<bool(unsigned char)>& isLeadByte) {
  std::string out(barSeparated);
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (isLeadByte(static_cast<unsigned char>(out[i])) && i + 1 < out.size()) {
      ++i;
    } else if (out[i] == '|') {
      out[i] = '\0';
    }
  }
  return out;
}

}  // namespace tavrik
