// Reads the track's cover picture on the plug-in's thread, before the
// outputs that show it go over the track: only while one of them is on.
#pragma once

#include <chrono>
#include <optional>

#include "caption/caption_state.h"
#include "caption/output.h"
#include "common/code_page.h"
#include "cover/cover_files.h"

namespace tavrik {

class CoverReader final : public Output {
 public:
  CoverReader(CaptionState& state, CoverFiles& files, CodePage& codePage)
      : state_(state), files_(files), codePage_(codePage) {}

  // At once (the earliest time there is) while the track's picture is to be
  // read; else never.
  std::optional<Clock::time_point> dueAt() const override;
  void perform(Clock::time_point now) override;

 private:
  CaptionState& state_;
  CoverFiles& files_;
  CodePage& codePage_;
};

}  // namespace tavrik
