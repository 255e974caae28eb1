#include "cover/embedded_picture.h"

#include <string_view>

#include "cover/byte_stream.h"
#include "cover/id3_tag.h"
#include "cover/riff_chunks.h"

namespace tavrik {

std::optional<CoverPicture> embeddedPicture(CoverFile& file) {
  FileStream stream(file);
  LimitedStream whole(stream, file.size());
  char start[kRiffHeaderSize];
  if (!readFully(whole, start, kId3HeaderSize)) return std::nullopt;
  std::string_view header(start, kId3HeaderSize);
  if (startsId3Tag(header)) return pictureInId3Tag(header, whole);
  // "RIFF", its size and its form: "WAVE", or "RMP3", whose chunks hold the
  // tag the same way.
  if (header.substr(0, 4) != "RIFF") return std::nullopt;
  if (!readFully(whole, start + kId3HeaderSize, kRiffHeaderSize - kId3HeaderSize)) return std::nullopt;
  return pictureInRiffChunks(whole);
}

}  // namespace tavrik
