// What the caption file is to show, kept between the host's thread, which
// tells it the tracks' texts, the player's state and the settings, and the
// delivery thread, which writes the file.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

#include "caption/caption_settings.h"
#include "pipeline/title_change_ports.h"

namespace tavrik {

// The caption file's content as wished at one moment.
struct CaptionWish {
  CaptionSettings settings;
  bool idle = false;                // the idle template's text, not the track's
  std::optional<ScriptText> track;  // nothing before the first track's text
  unsigned long revision = 0;       // grows with every change while a file is configured
};

class CaptionState final : public CaptionFeed {
 public:
  // `changed` runs after each change while a caption file is configured (or
  // was, until this change), on the changing thread and outside the lock:
  // it wakes the writer.
  explicit CaptionState(std::function<void()> changed) : changed_(std::move(changed)) {}

  void setSettings(const CaptionSettings& settings);
  CaptionSettings settings() const;

  // The texts are kept even while no file is configured, so that a file
  // set up in the middle of a track starts with that track.
  void trackText(const ScriptText& text) override;
  bool wantsPlaybackStatus() override;
  // 0 stopped, 3 paused, anything else playing.
  void playbackStatus(std::intptr_t answer) override;

  CaptionWish wish() const;
  unsigned long revision() const;

 private:
  enum class Playback { Playing, Paused, Stopped };
  // Applies `change` under the lock; when it answers true and a file is
  // (or was) configured, counts a new revision and tells of it.
  void update(const std::function<bool()>& change);

  mutable std::mutex mutex_;
  CaptionSettings settings_;
  std::optional<ScriptText> track_;
  Playback playback_ = Playback::Playing;
  unsigned long revision_ = 0;
  std::function<void()> changed_;
};

}  // namespace tavrik
