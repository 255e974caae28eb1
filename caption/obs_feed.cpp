#include "caption/obs_feed.h"

#include "common/unicode_codec.h"
#include "pipeline/template_fill.h"

namespace tavrik {

namespace {
constexpr char kDefaultObsAddress[] = "127.0.0.1:4455";

std::string utf8Of(const AnsiOrWide& text, CodePage& codePage) { return encodeUtf8(wideOf(text, codePage)); }
}  // namespace

ObsSettings obsSettingsOf(const ObsOutputSettings& settings, CodePage& codePage) {
  ObsSettings out;
  out.address = settings.address.empty() ? kDefaultObsAddress : utf8Of(settings.address, codePage);
  out.password = utf8Of(settings.password, codePage);
  out.source = utf8Of(settings.source, codePage);
  out.coverSource = utf8Of(settings.coverSource, codePage);
  return out;
}

std::optional<ObsFeed::Clock::time_point> ObsFeed::dueAt() const {
  if (state_.revision() != seenRevision_ || cover_.replacements() != coverReplacements_) {
    return Clock::time_point::min();
  }
  return timer_.hideAt();
}

void ObsFeed::perform(Clock::time_point now) {
  CaptionToShow wish = state_.toShow();
  seenRevision_ = wish.revision;
  ObsSettings settings = obsSettingsOf(wish.settings.obs, codePage_);
  if (settings != configured_) {
    // Off means no connection and no thread: the output sees to that.
    output_.configure(settings);
    configured_ = settings;
    handed_.reset();
    shown_.reset();
    timer_.reset();
    coverReplacements_ = 0;
  }
  if (!wish.settings.obs.on()) return;
  if (!settings.source.empty()) handText(wish, now);
  // The image source is told the file each time it was replaced, so that
  // OBS loads it at once instead of at its next look.
  const unsigned long replaced = cover_.replacements();
  if (!settings.coverSource.empty() && wish.settings.cover.on() && replaced != coverReplacements_) {
    output_.setCoverFile(utf8Of(wish.settings.cover.file, codePage_));
  }
  coverReplacements_ = replaced;
}

AnsiOrWide ObsFeed::hiddenText(const CaptionToShow& wish) {
  const AnsiOrWide& hideText = wish.settings.obs.hideText;
  if (hideText.empty()) return {};
  if (!wish.idle && wish.track) return plainTrackText(files_, hideText, wish.track->tags, codePage_);
  return idleText(files_, hideText);
}

void ObsFeed::handText(const CaptionToShow& wish, Clock::time_point now) {
  AnsiOrWide text;
  if (wish.idle) {
    text = idleText(files_, wish.settings.idleTemplate);
  } else if (!wish.track) {
    return;
  } else if (wish.settings.obs.plainTemplate.empty()) {
    text = fillPlainTemplate(AnsiOrWide(kDefaultObsTemplate), wish.track->tags, codePage_);
  } else {
    text = plainTrackText(files_, wish.settings.obs.plainTemplate, wish.track->tags, codePage_);
  }
  std::string utf8 = utf8Of(text, codePage_);
  if (utf8 != shown_) {
    shown_ = utf8;
    timer_.changed(now, wish.settings.obs.showForSeconds());
  } else {
    timer_.hidesNow(now);
  }
  if (timer_.hidden()) utf8 = utf8Of(hiddenText(wish), codePage_);
  if (utf8 == handed_) return;
  output_.setText(utf8);
  handed_ = std::move(utf8);
}

}  // namespace tavrik
