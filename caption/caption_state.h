// What the caption file is to show, kept between the player's thread, which
// tells it the player's state and the settings, and the plug-in's thread,
// which tells it each track's text and writes the file.
#pragma once

#include <cstdint>
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

class CaptionState {
 public:
  void setSettings(const CaptionSettings& settings);
  CaptionSettings settings() const;

  // The texts are kept even while no file is configured, so that a file
  // set up in the middle of a track starts with that track.
  void trackText(const ScriptText& text);
  // False while no caption file is configured: the host is then not asked.
  bool wantsPlaybackStatus();
  // The host's answer to IPC_ISPLAYING: 0 stopped, 3 paused, anything else
  // playing.
  void playbackStatus(std::intptr_t answer);

  CaptionWish wish() const;
  unsigned long revision() const;

 private:
  enum class Playback { Playing, Paused, Stopped };
  // Applies `change` under the lock; when it answers true and a file is
  // (or was) configured, counts a new revision, which the writer looks for.
  template <typename Change>
  void update(const Change& change);

  mutable std::mutex mutex_;
  CaptionSettings settings_;
  std::optional<ScriptText> track_;
  Playback playback_ = Playback::Playing;
  unsigned long revision_ = 0;
};

}  // namespace tavrik
