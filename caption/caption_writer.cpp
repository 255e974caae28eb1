#include "caption/caption_writer.h"

#include "common/unicode_codec.h"
#include "pipeline/template_fill.h"

namespace tavrik {

std::optional<CaptionWriter::Clock::time_point> CaptionWriter::dueAt() const {
  if (state_.revision() != seenRevision_) return Clock::time_point::min();
  std::optional<Clock::time_point> retry = file_.retryAt();
  std::optional<Clock::time_point> hide = timer_.hideAt();
  if (!hide || (retry && *retry < *hide)) return retry;
  return hide;
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

std::string CaptionWriter::hiddenContentFor(const CaptionToShow& wish) {
  const AnsiOrWide& hideText = wish.settings.hideText;
  if (hideText.empty()) return {};
  // Filled with the track's tags, as the file's own template is; with no
  // track to fill it with, as it stands.
  if (!wish.idle && wish.track) {
    return encodeUtf8(wideOf(plainTrackText(files_, hideText, wish.track->tags, codePage_), codePage_));
  }
  return encodeUtf8(wideOf(idleText(files_, hideText), codePage_));
}

void CaptionWriter::perform(Clock::time_point now) {
  CaptionToShow wish = state_.toShow();
  if (wish.revision != seenRevision_) {
    seenRevision_ = wish.revision;
    file_.changed();
  }
  std::optional<std::string> bytes;
  if (wish.settings.on()) bytes = contentFor(wish);
  if (!bytes) {
    shown_.reset();
    timer_.reset();
    return file_.stop();
  }
  if (*bytes != shown_) {
    shown_ = *bytes;
    timer_.changed(now, wish.settings.showForSeconds());
  } else {
    timer_.hidesNow(now);
  }
  file_.write(now, wideOf(wish.settings.file, codePage_),
              timer_.hidden() ? hiddenContentFor(wish) : std::move(*bytes));
}

}  // namespace tavrik
