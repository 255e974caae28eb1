// The OBS output fed from what the outputs are to show, on the plug-in's
// thread: its settings when they change, the text to show (the track
// through the OBS template, or the idle text) when that changes, and the
// cover file's path each time the file was replaced. The output keeps its
// own connection on its own thread: nothing here waits.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "caption/caption_state.h"
#include "caption/cover_writer.h"
#include "caption/output.h"
#include "caption/show_timer.h"
#include "common/code_page.h"
#include "common/files.h"
#include "obs/obs_output.h"

namespace tavrik {

// The text source's template while none is set.
inline constexpr char kDefaultObsTemplate[] = "#ARTIST - #TITLE";

// The [obs] keys as the output takes them: UTF-8, the default address for
// an empty one.
ObsSettings obsSettingsOf(const ObsOutputSettings& settings, CodePage& codePage);

class ObsFeed final : public Output {
 public:
  ObsFeed(const CaptionState& state, const CoverWriter& cover, ObsOutput& output, Files& files, CodePage& codePage)
      : state_(state), cover_(cover), output_(output), files_(files), codePage_(codePage) {}

  // At once (the earliest time there is) after a change of what is to show
  // or of the cover file; else never.
  std::optional<Clock::time_point> dueAt() const override;
  void perform(Clock::time_point now) override;
  // At quit: the output's last text and its goodbye, by `deadline`.
  void finish(Clock::time_point deadline) override { output_.finish(deadline); }

 private:
  void handText(const CaptionToShow& wish, Clock::time_point now);
  AnsiOrWide hiddenText(const CaptionToShow& wish);

  const CaptionState& state_;
  const CoverWriter& cover_;
  ObsOutput& output_;
  Files& files_;
  CodePage& codePage_;
  unsigned long seenRevision_ = 0;
  std::optional<ObsSettings> configured_;
  std::optional<std::string> handed_;
  std::optional<std::string> shown_;  // the text as it was last shown, before it was hidden
  ShowTimer timer_;
  unsigned long coverReplacements_ = 0;  // as the image source was last told
};

}  // namespace tavrik
