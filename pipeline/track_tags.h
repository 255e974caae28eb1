// The five tag texts of the current track, each already holding its default
// text when the file had none.
#pragma once

#include <string>

namespace tavrik {

struct TrackTags {
  std::string title;
  std::string artist;
  std::string album;
  std::string comment;
  std::string genre;

  bool operator==(const TrackTags& other) const {
    return title == other.title && artist == other.artist && album == other.album &&
           comment == other.comment && genre == other.genre;
  }
};

}  // namespace tavrik
