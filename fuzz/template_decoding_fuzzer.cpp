// A template file's bytes, decoded as read in chunks of several sizes (the
// module's 32000 bytes, and small ones so that short inputs cross chunk
// ends):
//  - the text equals a plain reading of the documented rule: the file's first
//    bytes say the encoding (EF BB BF UTF-8, FF FE UTF-16LE, anything else
//    ANSI bytes, FE FF included), each chunk counts up to its first NUL (a
//    NUL unit at an even offset in UTF-16), the mark is no part of the text,
//    and the rest is decoded by the reference decoders;
//  - a marked file gives a UTF-16 text, any other one bytes, and no text
//    holds a NUL;
//  - a file without NUL that its encoding holds losslessly (ANSI, well-formed
//    UTF-8, UTF-16LE of even length without unpaired surrogates) is given
//    back by encoding the text again.
#include "common/unicode_codec.h"
#include "fuzz_check.h"
#include "pipeline/template_renderer.h"
#include "reference_unicode.h"

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Mark = "\xFF\xFE";

bool startsWith(std::string_view bytes, std::string_view mark) { return bytes.substr(0, mark.size()) == mark; }

// The part of each chunk before its first NUL byte, or NUL unit when
// `utf16`: both bytes of a unit at an even offset of the file are zero.
std::string keptBytes(std::string_view file, std::size_t chunkBytes, bool utf16) {
  std::string kept;
  for (std::size_t start = 0; start < file.size(); start += chunkBytes) {
    std::string_view chunk = file.substr(start, chunkBytes);
    std::size_t end = chunk.size();
    for (std::size_t at = 0; at < chunk.size(); ++at) {
      bool nul = utf16 ? (start + at) % 2 == 0 && at + 1 < chunk.size() && chunk[at] == 0 && chunk[at + 1] == 0
                       : chunk[at] == 0;
      if (nul) {
        end = at;
        break;
      }
    }
    kept += chunk.substr(0, end);
  }
  return kept;
}

tavrik::AnsiOrWide referenceTemplate(std::string_view file, std::size_t chunkBytes) {
  if (startsWith(file, kUtf16Mark)) {
    return fuzz::referenceDecodeUtf16Le(keptBytes(file, chunkBytes, true).substr(kUtf16Mark.size()));
  }
  std::string kept = keptBytes(file, chunkBytes, false);
  if (startsWith(file, kUtf8Mark)) return fuzz::referenceDecodeUtf8(std::string_view(kept).substr(kUtf8Mark.size()));
  return kept;
}

// The file again from its text, where the encoding loses nothing.
void checkLossless(std::string_view file, const tavrik::AnsiOrWide& text) {
  if (startsWith(file, kUtf16Mark)) {
    std::string_view body = file.substr(kUtf16Mark.size());
    std::u16string units = fuzz::unitsOfUtf16Le(body);
    if (body.size() % 2 == 0 && units.find(u'\0') == std::u16string::npos &&
        fuzz::referenceUnpairedReplaced(units) == units) {
      fuzz::expect(std::string(kUtf16Mark) + fuzz::utf16LeBytes(text.wide()) == file,
                   "UTF-16LE encoding gives the file back");
    }
    return;
  }
  if (file.find('\0') != std::string_view::npos) return;
  if (!startsWith(file, kUtf8Mark)) {
    fuzz::expect(text.ansi() == file, "an ANSI template is its bytes");
    return;
  }
  bool wellFormed = false;
  fuzz::referenceDecodeUtf8(file.substr(kUtf8Mark.size()), &wellFormed);
  if (wellFormed) {
    fuzz::expect(std::string(kUtf8Mark) + tavrik::encodeUtf8(text.wide()) == file, "UTF-8 encoding gives the file back");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view file = fuzz::bytesOf(data, size);
  bool marked = startsWith(file, kUtf8Mark) || startsWith(file, kUtf16Mark);
  // The module reads 32000 bytes at a time: chunks hold whole UTF-16 units.
  // Odd sizes are tried on the files that have no units.
  for (std::size_t chunkBytes : {32000, 2, 4, 6, 1, 3}) {
    if (chunkBytes % 2 == 1 && startsWith(file, kUtf16Mark)) continue;
    tavrik::AnsiOrWide text = tavrik::decodeTemplate(std::string(file), chunkBytes);
    fuzz::expect(text.isWide() == marked, "a marked file gives UTF-16, any other bytes");
    fuzz::expect(text == referenceTemplate(file, chunkBytes), "the template decodes as the reference");
    bool holdsNul = text.isWide() ? text.wide().find(u'\0') != std::u16string::npos
                                  : text.ansi().find('\0') != std::string::npos;
    fuzz::expect(!holdsNul, "no text holds a NUL");
    if (chunkBytes == 32000) checkLossless(file, text);
  }
  return 0;
}
