#include "caption/cover_writer.h"

#include "cover/cover_finder.h"

namespace tavrik {

const std::string kTransparentPixel(
    "\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x00\x01\x00\x00\x00\x01\x08\x06\x00\x00\x00\x1f\x15\xc4\x89"
    "\x00\x00\x00\x0bIDAT\x78\xda\x63\x60\x00\x02\x00\x00\x05\x00\x01\xe9\xfa\xdc\xd8"
    "\x00\x00\x00\x00IEND\xae\x42\x60\x82",
    68);

std::optional<CoverWriter::Clock::time_point> CoverWriter::dueAt() const {
  if (state_.revision() != seenRevision_) return Clock::time_point::min();
  return file_.retryAt();
}

std::string CoverWriter::placeholder(const AnsiOrWide& path) {
  if (path.empty()) return kTransparentPixel;
  std::optional<CoverPicture> picture = readPictureFile(pictures_, wideOf(path, codePage_));
  return picture ? std::move(picture->bytes) : kTransparentPixel;
}

void CoverWriter::perform(Clock::time_point now) {
  CaptionToShow wish = state_.toShow();
  if (wish.revision != seenRevision_) {
    seenRevision_ = wish.revision;
    file_.changed();
  }
  // Nothing before the first track, as for the caption file.
  if (!wish.settings.cover.on() || !wish.track) return file_.stop();
  const bool shown = !wish.idle && wish.track->cover;
  std::string bytes = shown ? wish.track->cover->bytes : placeholder(wish.settings.cover.none);
  file_.write(now, wideOf(wish.settings.cover.file, codePage_), std::move(bytes));
}

}  // namespace tavrik
