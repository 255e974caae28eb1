// Byte texts in the ANSI code page: the one operation the module needs beyond
// std::string, replace-all, in a single left-to-right pass.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavrik {

// Replaces every non-overlapping occurrence of `from`, scanning left to right
// and never rescanning inserted text. An empty `to` removes; an empty `from`
// leaves the text as it is. Linear in the size of the text and the result.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);

// Removes every byte that occurs in `bytes`, in one pass.
void removeBytes(std::string& text, std::string_view bytes);

// The same, prepared once for texts cleaned piece by piece.
class ByteRemover {
 public:
  explicit ByteRemover(std::string_view bytes);
  // Removes the bytes from `text`, starting at `from`.
  void removeFrom(std::string& text, std::size_t from = 0) const;

 private:
  std::array<bool, 256> removed_{};
  std::array<std::uint64_t, 4> patterns_{};
  bool wordAtATime_;
};

}  // namespace tavrik
