// The overlay page fed from what the outputs are to show, on the plug-in's
// thread: the server's port when it changes, and the caption (the track
// through the page's template, or the idle text) with the player's state
// and, when the page shows it, the cover, hidden `show_for` seconds after it
// changed. The server has its own
// thread: nothing here waits for a page.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "caption/caption_state.h"
#include "caption/output.h"
#include "caption/show_timer.h"
#include "common/code_page.h"
#include "common/files.h"
#include "overlay/overlay_caption.h"

namespace tavrik {

class OverlayFeed final : public Output {
 public:
  OverlayFeed(const CaptionState& state, OverlayPublisher& server, Files& files, CodePage& codePage)
      : state_(state), server_(server), files_(files), codePage_(codePage) {}

  // At once (the earliest time there is) after a change of what is to
  // show; when the caption is to be hidden; else never.
  std::optional<Clock::time_point> dueAt() const override;
  void perform(Clock::time_point now) override;
  // At quit: the listener and every page closed by `deadline`.
  void finish(Clock::time_point deadline) override { server_.finish(deadline); }

 private:
  OverlayCaption captionOf(const CaptionToShow& wish);
  void addCover(const CaptionToShow& wish, OverlayCaption& caption);
  std::string stylesheet(const AnsiOrWide& path);

  const CaptionState& state_;
  OverlayPublisher& server_;
  Files& files_;
  CodePage& codePage_;
  unsigned long seenRevision_ = 0;
  std::optional<OverlayCaption> shown_;  // as published, before it was hidden
  ShowTimer timer_;
  // The picture the page last had, and its address.
  std::shared_ptr<const CoverPicture> cover_;
  std::string coverUrl_;
};

}  // namespace tavrik
