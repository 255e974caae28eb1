// The picture of an ID3v2.2, 2.3 or 2.4 tag: the first front cover, else
// the first picture, read within the tag's size and the bytes that hold it.
#pragma once

#include <optional>
#include <string_view>

#include "cover/byte_stream.h"
#include "cover/cover_picture.h"

namespace tavrik {

inline constexpr std::size_t kId3HeaderSize = 10;

// Whether the bytes begin with "ID3": a tag, good or not.
inline bool startsId3Tag(std::string_view bytes) { return bytes.substr(0, 3) == "ID3"; }

// `header` is the tag's first kId3HeaderSize bytes; `rest` what follows
// them up to the end of the file or of the chunk that holds the tag.
std::optional<CoverPicture> pictureInId3Tag(std::string_view header, LimitedStream& rest);

}  // namespace tavrik
