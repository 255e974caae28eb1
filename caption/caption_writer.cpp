#include "caption/caption_writer.h"

#include "common/replace_content.h"
#include "common/unicode_codec.h"
#include "pipeline/template_fill.h"

namespace tavrik {

CaptionOutcome captionOutcomeOf(const ReplaceResult& result) {
  switch (result.outcome) {
    case ReplaceOutcome::Replaced:
      return CaptionOutcome::written;
    case ReplaceOutcome::HeldElsewhere:
      return CaptionOutcome::held;
    case ReplaceOutcome::Failed:
      break;
  }
  switch (result.error) {
    case 2:    // ERROR_FILE_NOT_FOUND
    case 3:    // ERROR_PATH_NOT_FOUND
    case 123:  // ERROR_INVALID_NAME
    case 161:  // ERROR_BAD_PATHNAME
      return CaptionOutcome::folderMissing;
    case 5:   // ERROR_ACCESS_DENIED
    case 19:  // ERROR_WRITE_PROTECT
      return CaptionOutcome::denied;
    case 39:   // ERROR_HANDLE_DISK_FULL
    case 112:  // ERROR_DISK_FULL
      return CaptionOutcome::diskFull;
    default:
      return CaptionOutcome::otherFailure;
  }
}

std::optional<CaptionWriter::Clock::time_point> CaptionWriter::dueAt() {
  if (state_.revision() != seenRevision_) return Clock::time_point::min();
  return retryAt_;
}

std::optional<std::string> CaptionWriter::contentFor(const CaptionToShow& wish) {
  const bool plain = !wish.settings.plainTemplate.empty();
  if (!wish.idle) {
    if (!wish.track) return std::nullopt;
    if (!plain) return encodeUtf8(wideOf(wish.track->text, codePage_));
    return encodeUtf8(
        wideOf(plainTrackText(files_, wish.settings.plainTemplate, wish.track->tags, codePage_), codePage_));
  }
  // The file is never deleted. Beside a plain template the idle text keeps
  // its lines, as the track's do; else it is one line, as the encoder's.
  std::u16string text = wideOf(idleText(files_, wish.settings.idleTemplate), codePage_);
  return encodeUtf8(plain ? text : oneLine(text));
}

void CaptionWriter::perform(Clock::time_point now) {
  CaptionToShow wish = state_.toShow();
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

  ReplaceResult result = replaceSharedFileContent(files_, path, *bytes);
  status_.record(captionOutcomeOf(result), static_cast<int>(result.error));
  switch (result.outcome) {
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
