// Texts as the module handles them: byte strings in the ANSI code page, or
// UTF-16 where a component gave Unicode; the one operation the module needs
// beyond the standard strings, replace-all, in a single left-to-right pass.
#pragma once

#include <string>
#include <string_view>

namespace tavrik {

// Replaces every non-overlapping occurrence of `from`, scanning left to right
// and never rescanning inserted text. An empty `to` removes; an empty `from`
// leaves the text as it is. Linear in the size of the text and the result.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);
std::u16string replaceAll(std::u16string_view text, std::u16string_view from, std::u16string_view to);

}  // namespace tavrik
