// Where a track's picture comes from, in order: embedded in the file (ID3v2
// in an MP3, or in a WAV file's ID3 chunk; the front cover first, else the
// first picture), else an image beside the track (cover, folder, front,
// album as .jpg, .jpeg or .png, then Windows Media Player's
// AlbumArt_{…}_Large.jpg), else none. Read on the plug-in's thread.
#pragma once

#include <optional>
#include <string>

#include "cover/cover_files.h"
#include "cover/cover_picture.h"

namespace tavrik {

// None for a stream's address ("scheme://…", no file touched), else when
// neither the file nor its folder holds a picture of a known type within
// kMaxCoverBytes; a larger one is passed over for the next.
std::optional<CoverPicture> findCover(CoverFiles& files, const std::u16string& trackPath);

// A picture file as it stands (the user's placeholder): none when it does
// not open, is larger than kMaxCoverBytes or holds no known image type.
std::optional<CoverPicture> readPictureFile(CoverFiles& files, const std::u16string& path);

}  // namespace tavrik
