// A track's cover picture: its bytes as the file holds them, and the media
// type its first bytes say (never what a tag claims), for the page's answer.
#pragma once

#include <cstddef>
#include <string>

namespace tavrik {

// No picture larger than this is read, embedded or beside the track: a
// 32-bit player has little room, and no cover needs more.
inline constexpr std::size_t kMaxCoverBytes = 16u << 20;

struct CoverPicture {
  std::string bytes;
  std::string type;  // "image/jpeg", "image/png", "image/gif", "image/webp", "image/bmp"

  bool operator==(const CoverPicture& other) const { return bytes == other.bytes && type == other.type; }
};

}  // namespace tavrik
