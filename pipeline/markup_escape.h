// Making a tag text safe to stand in HTML.
#pragma once

#include <string>

namespace tavrik {

// "&", "<", ">" and the double quote become entities, "&" first, so that the
// entities made by the later steps are not escaped again. The apostrophe
// stays.
std::string escapeMarkup(const std::string& text);

}  // namespace tavrik
