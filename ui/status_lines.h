// The lines below the rule list that say, for each output that is on, what
// its last try came to and when: a stream cannot stop for message boxes, so
// this is where a streamer whose caption stays blank finds out why.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "caption/caption_writer.h"
#include "common/code_page.h"
#include "common/outcome_cell.h"
#include "obs/obs_status.h"
#include "overlay/overlay_caption.h"
#include "pipeline/encoder_link.h"

namespace tavrik {

struct OutputsStatus {
  Recorded<EncoderOutcome> encoder;
  // Set while that output is on.
  std::optional<Recorded<CaptionOutcome>> caption;
  std::optional<Recorded<ObsOutcome>> obs;
  std::optional<Recorded<OverlayOutcome>> overlay;
  std::optional<Recorded<CaptionOutcome>> cover;
  AnsiOrWide captionFile;     // the caption file's path
  AnsiOrWide coverFile;       // the cover file's path
  AnsiOrWide obsSource;       // the text source's name
  AnsiOrWide obsCoverSource;  // the image source's name
  std::uint16_t overlayPort = 0;
};

// What the clock said at `at`, as the dialog shows it ("12:34:56").
using TimeOfDay = std::function<std::u16string(std::chrono::system_clock::time_point at)>;

// One line per output that is on, in the dialog's language (Japanese): the
// encoder first, then the caption file, then OBS, then the overlay page,
// then the cover file.
std::vector<std::u16string> statusLines(const OutputsStatus& status, CodePage& codePage, const TimeOfDay& timeOfDay);

}  // namespace tavrik
