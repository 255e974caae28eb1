#include "caption/caption_writer.h"

#include "common/unicode_codec.h"
#include "pipeline/template_fill.h"
#include "pipeline/template_renderer.h"

namespace tavrik {

std::optional<SideWork::Clock::time_point> CaptionWriter::dueAt() {
  if (state_.revision() != seenRevision_) return Clock::time_point::min();
  return retryAt_;
}

std::optional<std::string> CaptionWriter::contentFor(const CaptionWish& wish) {
  if (!wish.idle) {
    if (!wish.track) return std::nullopt;
    return encodeUtf8(wideOf(*wish.track, codePage_));
  }
  // No placeholder is filled: no track plays. A template that does not open
  // shows as the empty text, as a track's does; the file is never deleted.
  std::optional<AnsiOrWide> idle;
  if (!wish.settings.idleTemplate.empty()) idle = readTemplateFile(files_, wish.settings.idleTemplate);
  return encodeUtf8(oneLine(wideOf(idle.value_or(AnsiOrWide()), codePage_)));
}

void CaptionWriter::perform(Clock::time_point now) {
  CaptionWish wish = state_.wish();
  if (wish.revision != seenRevision_) {
    seenRevision_ = wish.revision;
    heldSince_.reset();
  }
  retryAt_.reset();
  if (!wish.settings.on()) return;
  std::optional<std::string> bytes = contentFor(wish);
  if (!bytes) return;
  std::u16string path = wideOf(wish.settings.file, codePage_);
  if (written_ && written_->path == path && written_->bytes == *bytes) return;

  switch (files_.replaceSharedContentWide(path, *bytes)) {
    case ReplaceOutcome::Replaced:
      written_ = Written{std::move(path), std::move(*bytes)};
      heldSince_.reset();
      return;
    case ReplaceOutcome::HeldElsewhere:
      if (!heldSince_) heldSince_ = now;
      retryAt_ = now + (now - *heldSince_ < kHeldRetryFor ? kHeldRetry : kPendingRetry);
      return;
    case ReplaceOutcome::Failed:
      // Said nowhere (never a message box at a track change); the next
      // change tries again.
      return;
  }
}

}  // namespace tavrik
