#include "caption/caption_state.h"

#include <utility>

namespace tavrik {

template <typename Change>
void CaptionState::update(const Change& change) {
  std::lock_guard<std::mutex> lock(mutex_);
  bool wasOn = settings_.on();
  if (!change()) return;
  // Turning the file off is news to the writer too: it stops retrying.
  // While there is no file, the writer never hears of anything.
  if (wasOn || settings_.on()) ++revision_;
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

void CaptionState::trackText(const ScriptText& text) {
  update([&] {
    if (track_ == text) return false;
    track_ = text;
    return true;
  });
}

bool CaptionState::wantsPlaybackStatus() {
  std::lock_guard<std::mutex> lock(mutex_);
  return settings_.on();
}

void CaptionState::playbackStatus(std::intptr_t answer) {
  Playback playback = answer == 0 ? Playback::Stopped : answer == 3 ? Playback::Paused : Playback::Playing;
  update([&] { return std::exchange(playback_, playback) != playback; });
}

CaptionWish CaptionState::wish() const {
  std::lock_guard<std::mutex> lock(mutex_);
  CaptionWish wish;
  wish.settings = settings_;
  wish.idle = playback_ == Playback::Stopped || (playback_ == Playback::Paused && settings_.idleWhenPaused);
  wish.track = track_;
  wish.revision = revision_;
  return wish;
}

unsigned long CaptionState::revision() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return revision_;
}

}  // namespace tavrik
