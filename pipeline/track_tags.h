// The five tag texts of the current track, each already holding its default
// text when the file had none. ANSI bytes from the library's ANSI entries,
// UTF-16 from its wide ones.
#pragma once

#include "common/ansi_or_wide.h"

namespace tavrik {

struct TrackTags {
  AnsiOrWide title;
  AnsiOrWide artist;
  AnsiOrWide album;
  AnsiOrWide comment;
  AnsiOrWide genre;

  bool operator==(const TrackTags& other) const {
    return title == other.title && artist == other.artist && album == other.album &&
           comment == other.comment && genre == other.genre;
  }
};

}  // namespace tavrik
