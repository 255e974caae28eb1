#include "pipeline/markup_escape.h"

#include "common/text.h"

namespace tavrik {

std::string escapeMarkup(const std::string& text) {
  std::string escaped = replaceAll(text, "&", "&amp;");
  escaped = replaceAll(escaped, "<", "&lt;");
  escaped = replaceAll(escaped, ">", "&gt;");
  return replaceAll(escaped, "\"", "&quot;");
}

}  // namespace tavrik
