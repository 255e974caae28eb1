#include "cover/picture_frame.h"

#include <algorithm>
#include <string>

#include "cover/picture_type.h"

namespace tavrik {
namespace {

// Passes a text and its terminator: a NUL byte, or in UTF-16 a NUL unit,
// two zero bytes at an even distance from the text's start.
bool skipText(ByteStream& frame, std::size_t unitSize) {
  char unit[2] = {};
  while (readFully(frame, unit, unitSize)) {
    if (unit[0] == 0 && (unitSize == 1 || unit[1] == 0)) return true;
  }
  return false;
}

}  // namespace

std::optional<unsigned char> readPictureFields(ByteStream& frame, bool threeLetterFormat) {
  unsigned char encoding = 0;
  if (!readByte(frame, encoding) || encoding > 3) return std::nullopt;
  char format[3];
  if (threeLetterFormat ? !readFully(frame, format, sizeof format) : !skipText(frame, 1)) return std::nullopt;
  unsigned char type = 0;
  if (!readByte(frame, type)) return std::nullopt;
  bool utf16 = encoding == 1 || encoding == 2;
  if (!skipText(frame, utf16 ? 2 : 1)) return std::nullopt;
  return type;
}

std::optional<CoverPicture> readPictureData(ByteStream& frame, const LimitedStream& stored, bool sizeKnown) {
  // Too large to keep: passed over without a byte read.
  if (sizeKnown && stored.left() > kMaxCoverBytes) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(std::min<std::uint64_t>(stored.left(), kMaxCoverBytes)), '\0');
  bytes.resize(readUpTo(frame, bytes.data(), bytes.size()));
  // One byte beyond the limit says the picture is larger; bytes left
  // unread after the end say the frame was cut short.
  char beyond = 0;
  if (frame.read(&beyond, 1) != 0 || stored.left() != 0) return std::nullopt;
  return typedPicture(std::move(bytes));
}

}  // namespace tavrik
