// An ID3v2 picture frame read in two steps: its fields up to the picture
// (APIC: text encoding, MIME type, picture type, description; PIC in
// ID3v2.2: encoding, three-letter format, type, description), so that the
// tag's walk may pass over a picture it would not keep; then the picture.
#pragma once

#include <optional>

#include "cover/byte_stream.h"
#include "cover/cover_picture.h"

namespace tavrik {

inline constexpr unsigned char kFrontCover = 3;

// The picture type (kFrontCover, ...); none when the frame ends first or
// names no text encoding ID3v2 has.
std::optional<unsigned char> readPictureFields(ByteStream& frame, bool threeLetterFormat);

// The rest of `frame` as a picture: none when it is larger than
// kMaxCoverBytes, cut short or of no known type. `stored` is the frame as
// the tag holds it; `frame` reads it, or undoes its unsynchronisation, in
// which case the picture's size is known only once it is read
// (`sizeKnown` false).
std::optional<CoverPicture> readPictureData(ByteStream& frame, const LimitedStream& stored, bool sizeKnown);

}  // namespace tavrik
