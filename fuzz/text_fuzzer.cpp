// The texts under the renderer: escaping and replace-all, on ANSI bytes and
// on UTF-16, each against its plain reference (the removal of CR, LF and TAB
// is the fill's last passes, checked by the fill's target). Input: a text,
// then NUL, what to look for, NUL, what to put in.
#include "common/text.h"
#include "fuzz_check.h"
#include "pipeline/template_fill.h"

namespace {

// The bytes as UTF-16 units, one each: the UTF-16 functions must do on units
// what the byte functions do on bytes.
std::u16string widened(const std::string& bytes) {
  std::u16string wide;
  for (char c : bytes) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
  return wide;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> parts = fuzz::nulSeparated(fuzz::bytesOf(data, size), 3);
  const std::string& text = parts[0];
  const std::string& from = parts[1];
  const std::string& to = parts[2];

  const std::string escaped = fuzz::plainEscape(text);
  fuzz::expect(tavrik::escapeMarkup(text) == escaped, "escaping");
  fuzz::expect(tavrik::escapeMarkup(widened(text)) == widened(escaped), "escaping UTF-16");

  const std::string replaced = fuzz::plainReplace(text, from, to);
  fuzz::expect(tavrik::replaceAll(text, from, to) == replaced, "replace-all");
  fuzz::expect(tavrik::replaceAll(widened(text), widened(from), widened(to)) == widened(replaced),
               "replace-all on UTF-16");
  return 0;
}
