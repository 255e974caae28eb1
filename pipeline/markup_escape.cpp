#include "pipeline/markup_escape.h"

#include "common/ansi_or_wide.h"
#include "common/text.h"

namespace tavrik {

namespace {

template <typename String>
String escape(const String& text, String (*literal)(const char*)) {
  String escaped = replaceAll(text, literal("&"), literal("&amp;"));
  escaped = replaceAll(escaped, literal("<"), literal("&lt;"));
  escaped = replaceAll(escaped, literal(">"), literal("&gt;"));
  return replaceAll(escaped, literal("\""), literal("&quot;"));
}

std::string bytes(const char* ascii) { return ascii; }

}  // namespace

std::string escapeMarkup(const std::string& text) { return escape(text, &bytes); }

std::u16string escapeMarkup(const std::u16string& text) { return escape(text, &widenAscii); }

}  // namespace tavrik
