// What the outputs beside the encoder (the caption file, OBS) are to show,
// kept between the player's thread, which tells it the player's state and
// the settings, and the plug-in's thread, which tells it each track and
// writes the outputs.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "caption/caption_settings.h"
#include "common/files.h"
#include "common/code_page.h"
#include "cover/cover_picture.h"
#include "pipeline/title_change_ports.h"
#include "pipeline/track_tags.h"

namespace tavrik {

// A track as the outputs show it: its tags, for their own templates, the
// encoder's text, and its cover picture once read.
struct ShownTrack {
  TrackTags tags;
  AnsiOrWide text;
  AnsiOrWide coverFrom;  // the track's file; empty for a stream, which has no cover
  bool coverRead = false;
  std::shared_ptr<const CoverPicture> cover;  // null: the track has none

  bool operator==(const ShownTrack& other) const {
    return tags == other.tags && text == other.text && coverFrom == other.coverFrom &&
           coverRead == other.coverRead && cover == other.cover;
  }
};

enum class Playback { Playing, Paused, Stopped };

// What the outputs are to show at one moment.
struct CaptionToShow {
  CaptionSettings settings;
  Playback playback = Playback::Playing;
  bool idle = false;                // the idle template's text, not the track's
  std::optional<ShownTrack> track;  // nothing before the first track
  unsigned long revision = 0;       // grows with every change while an output is on
};

class CaptionState {
 public:
  void setSettings(const CaptionSettings& settings);
  CaptionSettings settings() const;

  // Kept even while no output is on, so that one turned on in the middle of
  // a track starts with that track.
  void track(const TrackTags& tags, const AnsiOrWide& text, const AnsiOrWide& coverFrom = {});
  // The file whose picture is still to be read for the track shown, while
  // an output shows the cover: the outputs wait for it, so that a track's
  // text never goes out with the track before's picture.
  std::optional<AnsiOrWide> coverToRead() const;
  // The picture read from `from` (null: none), for the track shown if it is
  // still the one from that file.
  void cover(const AnsiOrWide& from, std::shared_ptr<const CoverPicture> picture);
  // False while no output beside the encoder is on: the host is then not
  // asked. Without a lock: the player's thread asks at every retitle.
  bool wantsPlaybackStatus() const { return anyOn_.load(); }
  // The host's answer to IPC_ISPLAYING: 0 stopped, 3 paused, anything else
  // playing.
  void playbackStatus(std::intptr_t answer);

  CaptionToShow toShow() const;
  unsigned long revision() const;

 private:
  // Applies `change` under the lock; when it answers true and an output is
  // (or was) on, counts a new revision, which the outputs look for.
  template <typename Change>
  void update(const Change& change);

  mutable std::mutex mutex_;
  CaptionSettings settings_;
  std::optional<ShownTrack> track_;
  std::atomic<bool> anyOn_{false};
  Playback playback_ = Playback::Playing;
  unsigned long revision_ = 0;
};

// The texts the outputs show, read on the plug-in's thread:
// `plainTemplate` filled with the tags as they are, its lines kept; the
// empty text when it does not open, as for the encoder.
AnsiOrWide plainTrackText(Files& files, const AnsiOrWide& plainTemplate, const TrackTags& tags,
                          CodePage& codePage);

// The idle template's text as it stands (no track plays: no placeholder is
// filled); the empty text without one, or when it does not open.
AnsiOrWide idleText(Files& files, const AnsiOrWide& idleTemplate);

}  // namespace tavrik
