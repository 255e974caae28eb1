// Making a tag text safe to stand in HTML.
#pragma once

#include <string>

namespace tavrik {

// "&", "<", ">" and the double quote become entities, "&" first, so that the
// entities made by the later steps are not escaped again. The apostrophe
// stays. The same on ANSI bytes and on UTF-16.
std::string escapeMarkup(const std::string& text);
std::u16string escapeMarkup(const std::u16string& text);

}  // namespace tavrik
