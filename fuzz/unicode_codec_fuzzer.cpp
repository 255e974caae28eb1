// The UTF-8 and UTF-16 conversions, on any bytes taken as UTF-8 and as
// UTF-16LE units:
//  - decoding equals the plain decoders of reference_unicode.h, unit for
//    unit: one U+FFFD per maximal ill-formed part, an odd last byte and every
//    unpaired surrogate U+FFFD; "well-formed" means nothing was replaced;
//  - well-formed UTF-8 goes to UTF-16 and back to the same bytes, and
//    UTF-16 without unpaired surrogates to UTF-8 and back to the same units;
//  - a wide text another component owns is copied up to its NUL and never
//    past the limit, read from a buffer of exactly that many units.
#include <memory>

#include "common/unicode_codec.h"
#include "fuzz_check.h"
#include "reference_unicode.h"

namespace {

bool hasUnpairedSurrogate(std::u16string_view text) { return fuzz::referenceUnpairedReplaced(text) != text; }

void checkUtf8(std::string_view bytes) {
  bool wellFormed = false, referenceWellFormed = false;
  std::u16string text = tavrik::decodeUtf8(bytes, &wellFormed);
  fuzz::expect(text == fuzz::referenceDecodeUtf8(bytes, &referenceWellFormed), "UTF-8 decodes as the reference");
  fuzz::expect(wellFormed == referenceWellFormed, "UTF-8 is well-formed when nothing was replaced");
  fuzz::expect(tavrik::isWellFormedUtf8(bytes) == referenceWellFormed, "isWellFormedUtf8 agrees");
  fuzz::expect(!hasUnpairedSurrogate(text), "decoded UTF-8 holds no unpaired surrogate");
  std::string again = tavrik::encodeUtf8(text);
  if (wellFormed) fuzz::expect(again == bytes, "well-formed UTF-8 to UTF-16 and back is the same bytes");
  bool againWellFormed = false;
  fuzz::expect(tavrik::decodeUtf8(again, &againWellFormed) == text && againWellFormed,
               "decoded UTF-8 encodes to well-formed UTF-8 of the same text");
}

void checkUtf16(std::string_view bytes) {
  std::u16string text = tavrik::decodeUtf16Le(bytes);
  fuzz::expect(text == fuzz::referenceDecodeUtf16Le(bytes), "UTF-16LE decodes as the reference");
  std::u16string units = fuzz::unitsOfUtf16Le(bytes);
  if (bytes.size() % 2 == 0 && !hasUnpairedSurrogate(units)) {
    fuzz::expect(fuzz::utf16LeBytes(text) == bytes, "well-formed UTF-16LE decodes to its own units");
  }
  std::u16string paired = tavrik::withoutUnpairedSurrogates(units);
  fuzz::expect(paired == fuzz::referenceUnpairedReplaced(units), "unpaired surrogates become U+FFFD");
  std::string utf8 = tavrik::encodeUtf8(units);
  fuzz::expect(utf8 == fuzz::referenceEncodeUtf8(units), "UTF-16 encodes to UTF-8 as the reference");
  bool wellFormed = false;
  fuzz::expect(tavrik::decodeUtf8(utf8, &wellFormed) == paired && wellFormed,
               "UTF-16 to UTF-8 and back keeps every paired unit");
}

// The units in a buffer of their own size, with no terminator after them.
void checkWideCopy(std::u16string_view units, std::size_t smallerLimit) {
  std::unique_ptr<char16_t[]> owned(new char16_t[units.size()]);
  std::copy(units.begin(), units.end(), owned.get());
  std::u16string_view upToNul = units.substr(0, units.find(u'\0'));
  fuzz::expect(tavrik::copyWideText(owned.get(), units.size()) == upToNul, "a wide text is copied up to its NUL");
  smallerLimit = std::min(smallerLimit, units.size());
  fuzz::expect(tavrik::copyWideText(owned.get(), smallerLimit) == upToNul.substr(0, smallerLimit),
               "a wide text is cut at the limit");
  fuzz::expect(tavrik::copyWideText(nullptr, units.size()).empty(), "no text copies as the empty text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input = fuzz::bytesOf(data, size);
  checkUtf8(input);
  checkUtf16(input);
  checkWideCopy(fuzz::unitsOfUtf16Le(input), size == 0 ? 0 : data[0]);
  return 0;
}
