// Writes the cover file on the plug-in's thread: the shown track's picture
// as its file holds it, or, with none (a stream, a track without one, the
// idle caption), the user's placeholder picture, else a transparent pixel.
// Through a whole new file put in the old one's place, only when the bytes
// changed, so that an image source of any program can show it.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "caption/caption_state.h"
#include "caption/file_output.h"
#include "caption/output.h"
#include "common/code_page.h"
#include "common/files.h"
#include "cover/cover_files.h"

namespace tavrik {

// A 1×1 PNG, fully transparent: the cover file of a track without one when
// the user chose no placeholder.
extern const std::string kTransparentPixel;

class CoverWriter final : public Output {
 public:
  CoverWriter(const CaptionState& state, Files& files, CoverFiles& pictures, CodePage& codePage)
      : state_(state), pictures_(pictures), codePage_(codePage), file_(files) {}

  // At once after a change of what is to show; at the retry time while a
  // write is held up; else never.
  std::optional<Clock::time_point> dueAt() const override;
  void perform(Clock::time_point now) override;

  // How many times the file was replaced: an image source is told each time.
  unsigned long replacements() const { return file_.replacements(); }
  // The last write's outcome, from any thread.
  Recorded<CaptionOutcome> status() const { return file_.status(); }

 private:
  std::string placeholder(const AnsiOrWide& path);

  const CaptionState& state_;
  CoverFiles& pictures_;
  CodePage& codePage_;
  FileOutput file_;
  unsigned long seenRevision_ = 0;
};

}  // namespace tavrik
