#include "cover/riff_chunks.h"

#include <string_view>

#include "cover/id3_tag.h"

namespace tavrik {
namespace {

// A WAV file has a handful of chunks: past this many, the rest is no RIFF.
constexpr int kMostChunks = 1024;

std::uint32_t littleEndian(const unsigned char* bytes) {
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

std::optional<CoverPicture> pictureInId3Chunk(LimitedStream& chunk) {
  char header[kId3HeaderSize];
  if (!readFully(chunk, header, sizeof header)) return std::nullopt;
  return pictureInId3Tag(std::string_view(header, sizeof header), chunk);
}

}  // namespace

std::optional<CoverPicture> pictureInRiffChunks(LimitedStream& chunks) {
  // The RIFF size is not asked: taggers that append a chunk often leave it
  // as it was. The file's size bounds every chunk.
  for (int i = 0; i < kMostChunks; ++i) {
    unsigned char header[8];
    if (!readFully(chunks, reinterpret_cast<char*>(header), sizeof header)) break;
    std::uint32_t size = littleEndian(header + 4);
    if (size > chunks.left()) break;
    std::string_view id(reinterpret_cast<const char*>(header), 4);
    LimitedStream chunk(chunks, size);
    if (id == "id3 " || id == "ID3 ") {
      if (std::optional<CoverPicture> picture = pictureInId3Chunk(chunk)) return picture;
    }
    // Chunks start at even offsets: an odd one is followed by a pad byte.
    if (!chunk.skipRest() || (size % 2 == 1 && !chunks.skip(1))) break;
  }
  return std::nullopt;
}

}  // namespace tavrik
