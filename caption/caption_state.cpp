#include "caption/caption_state.h"

#include <utility>

#include "pipeline/template_fill.h"
#include "pipeline/template_renderer.h"

namespace tavrik {

template <typename Change>
void CaptionState::update(const Change& change) {
  std::lock_guard<std::mutex> lock(mutex_);
  bool wasOn = settings_.anyOn();
  if (!change()) return;
  // Turning an output off is news to it too: the writer stops retrying.
  // While every output is off, none hears of anything.
  if (wasOn || settings_.anyOn()) ++revision_;
  anyOn_ = settings_.anyOn();
}

void CaptionState::setSettings(const CaptionSettings& settings) {
  update([&] {
    if (settings_ == settings) return false;
    settings_ = settings;
    return true;
  });
}

CaptionSettings CaptionState::settings() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return settings_;
}

void CaptionState::track(const TrackTags& tags, const AnsiOrWide& text, const AnsiOrWide& coverFrom) {
  update([&] {
    if (track_ && track_->tags == tags && track_->text == text && track_->coverFrom == coverFrom) return false;
    track_ = ShownTrack{tags, text, coverFrom, false, nullptr};
    return true;
  });
}

std::optional<AnsiOrWide> CaptionState::coverToRead() const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!settings_.wantsCover() || !track_ || track_->coverRead) return std::nullopt;
  return track_->coverFrom;
}

void CaptionState::cover(const AnsiOrWide& from, std::shared_ptr<const CoverPicture> picture) {
  update([&] {
    if (!track_ || track_->coverRead || track_->coverFrom != from) return false;
    track_->coverRead = true;
    track_->cover = std::move(picture);
    return true;
  });
}

void CaptionState::playbackStatus(std::intptr_t answer) {
  Playback playback = answer == 0 ? Playback::Stopped : answer == 3 ? Playback::Paused : Playback::Playing;
  update([&] { return std::exchange(playback_, playback) != playback; });
}

CaptionToShow CaptionState::toShow() const {
  std::lock_guard<std::mutex> lock(mutex_);
  CaptionToShow wish;
  wish.settings = settings_;
  wish.playback = playback_;
  wish.idle = playback_ == Playback::Stopped || (playback_ == Playback::Paused && settings_.idleWhenPaused);
  wish.track = track_;
  wish.revision = revision_;
  return wish;
}

unsigned long CaptionState::revision() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return revision_;
}

AnsiOrWide plainTrackText(Files& files, const AnsiOrWide& plainTemplate, const TrackTags& tags,
                          CodePage& codePage) {
  std::optional<AnsiOrWide> content = readTemplateFile(files, plainTemplate);
  if (!content) return {};
  return fillPlainTemplate(*content, tags, codePage);
}

AnsiOrWide idleText(Files& files, const AnsiOrWide& idleTemplate) {
  if (idleTemplate.empty()) return {};
  return readTemplateFile(files, idleTemplate).value_or(AnsiOrWide());
}

}  // namespace tavrik
