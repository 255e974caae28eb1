#include "caption/cover_reader.h"

#include <memory>

#include "cover/cover_finder.h"

namespace tavrik {

std::optional<CoverReader::Clock::time_point> CoverReader::dueAt() const {
  if (state_.coverToRead()) return Clock::time_point::min();
  return std::nullopt;
}

void CoverReader::perform(Clock::time_point) {
  const std::optional<AnsiOrWide> from = state_.coverToRead();
  if (!from) return;
  std::shared_ptr<const CoverPicture> picture;
  if (!from->empty()) {
    if (std::optional<CoverPicture> found = findCover(files_, wideOf(*from, codePage_))) {
      picture = std::make_shared<const CoverPicture>(std::move(*found));
    }
  }
  state_.cover(*from, std::move(picture));
}

}  // namespace tavrik
