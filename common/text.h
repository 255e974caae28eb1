// Byte texts in the ANSI code page: the one operation the module needs beyond
// std::string, replace-all, in a single left-to-right pass.
#pragma once

#include <string>
#include <string_view>

namespace tavrik {

// Replaces every non-overlapping occurrence of `from`, scanning left to right
// and never rescanning inserted text. An empty `to` removes; an empty `from`
// leaves the text as it is. Linear in the size of the text and the result.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);

}  // namespace tavrik
