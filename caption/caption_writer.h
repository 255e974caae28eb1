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
#include "common/outcome_cell.h"

namespace tavrik {

enum class CaptionOutcome : std::uint8_t {
  nothingYet,
  written,
  held,           // another program holds the file open; it is tried again
  folderMissing,  // the folder is gone, or never was
  denied,         // a read-only file or folder, or one we may not write in
  diskFull,
  otherFailure,   // the code says which
};

// What a failed write's system error code says.
CaptionOutcome captionOutcomeOf(const ReplaceResult& result);

class CaptionWriter {
 public:
  using Clock = std::chrono::steady_clock;
  // While a reader holds the file, it is tried again this often for this
  // long; after that the newest text stays pending and is tried once every
  // kPendingRetry, and at once whenever what is to show changes.
  static constexpr std::chrono::milliseconds kHeldRetry{25};
  static constexpr std::chrono::milliseconds kHeldRetryFor{1000};
  static constexpr std::chrono::milliseconds kPendingRetry{1000};

  CaptionWriter(const CaptionState& state, Files& files, CodePage& codePage)
      : state_(state), files_(files), codePage_(codePage) {}

  // At once (the earliest time there is) after a change of what is to show; at the
  // retry time while a write is held up; else never. A failure of another kind waits for the next change.
  std::optional<Clock::time_point> dueAt();
  void perform(Clock::time_point now);

  // The last write's outcome, from any thread.
  Recorded<CaptionOutcome> status() const { return status_.load(); }

 private:
  // The file's bytes for `wish`; nothing while there is nothing to show yet.
  std::optional<std::string> contentFor(const CaptionToShow& wish);

  struct Written {
    std::u16string path;
    std::string bytes;
  };

  const CaptionState& state_;
  Files& files_;
  CodePage& codePage_;
  unsigned long seenRevision_ = 0;
  std::optional<Written> written_;
  std::optional<Clock::time_point> heldSince_;
  std::optional<Clock::time_point> retryAt_;
  OutcomeCell<CaptionOutcome> status_;
};

}  // namespace tavrik
