// The texts under the renderer: escaping, the removal of bytes (CR, LF and TAB
// above all) and replace-all, each against its plain reference. Input: a text,
// then NUL, what to look for (also the bytes to remove), NUL, what to put in.
#include "common/text.h"
#include "fuzz_check.h"
#include "pipeline/template_renderer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> parts = fuzz::nulSeparated(fuzz::bytesOf(data, size), 3);
  const std::string& text = parts[0];
  const std::string& from = parts[1];
  const std::string& to = parts[2];

  fuzz::expect(tavrik::escapeMarkup(text) == fuzz::plainEscape(text), "escaping");

  std::string flattened = text;
  tavrik::removeBytes(flattened, "\r\n\t");
  fuzz::expect(flattened == fuzz::plainRemove(text, "\r\n\t"), "removing CR, LF and TAB");
  std::string removed = text;
  tavrik::removeBytes(removed, from);
  fuzz::expect(removed == fuzz::plainRemove(text, from), "removing any set of bytes");

  fuzz::expect(tavrik::replaceAll(text, from, to) == fuzz::plainReplace(text, from, to),
               "replace-all");
  return 0;
}
