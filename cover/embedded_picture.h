// The picture a track's file holds: in an ID3v2 tag at its start (an MP3
// file), or in the ID3 chunk of a RIFF file (a WAV file). Nothing else of
// the file is read.
#pragma once

#include <optional>

#include "cover/cover_files.h"
#include "cover/cover_picture.h"

namespace tavrik {

std::optional<CoverPicture> embeddedPicture(CoverFile& file);

}  // namespace tavrik
