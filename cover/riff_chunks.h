// The picture in a RIFF file's (a WAV file's) ID3 chunk, "id3 " or "ID3 ",
// wherever it lies among the chunks: the others, the audio data first of
// all, are skipped unread.
#pragma once

#include <optional>

#include "cover/byte_stream.h"
#include "cover/cover_picture.h"

namespace tavrik {

inline constexpr std::size_t kRiffHeaderSize = 12;

// `chunks` is the file after its RIFF header, up to the file's end.
std::optional<CoverPicture> pictureInRiffChunks(LimitedStream& chunks);

}  // namespace tavrik
