// Writes the caption file on the plug-in's thread: the same one-line text the
// encoder receives (or the track through the file's own template), or the
// idle template's, as UTF-8 without a byte-order mark, each time through a
// whole new file put in the old one's place, and only when the text (or the
// file's path) changed.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "caption/caption_state.h"
#include "common/code_page.h"
#include "common/files.h"
#include "caption/file_output.h"
#include "caption/output.h"
#include "caption/show_timer.h"

namespace tavrik {

class CaptionWriter final : public Output {
 public:
  CaptionWriter(const CaptionState& state, Files& files, CodePage& codePage)
      : state_(state), files_(files), codePage_(codePage), file_(files) {}

  // At once (the earliest time there is) after a change of what is to show; at the
  // retry time while a write is held up; else never. A failure of another kind waits for the next change.
  std::optional<Clock::time_point> dueAt() const override;
  void perform(Clock::time_point now) override;

  // The last write's outcome, from any thread.
  Recorded<CaptionOutcome> status() const { return file_.status(); }

 private:
  // The file's bytes for `wish`; nothing while there is nothing to show yet.
  std::optional<std::string> contentFor(const CaptionToShow& wish);
  // What the file holds once the caption has shown its seconds.
  std::string hiddenContentFor(const CaptionToShow& wish);

  const CaptionState& state_;
  Files& files_;
  CodePage& codePage_;
  FileOutput file_;
  unsigned long seenRevision_ = 0;
  std::optional<std::string> shown_;  // the caption, as it was last shown
  ShowTimer timer_;
};

}  // namespace tavrik
