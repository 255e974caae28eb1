// A file other programs read, replaced whole (a new file put in the old one's
// place) on the plug-in's thread only when its bytes or its path changed,
// and tried again while a reader holds it. The caption file and the cover
// file are each one.
#pragma once

#include <chrono>
#include <optional>
#include <string>

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

class FileOutput {
 public:
  using Clock = std::chrono::steady_clock;
  // While a reader holds the file, it is tried again this often for this
  // long; after that the newest bytes stay pending and are tried once every
  // kPendingRetry, and at once whenever what is to show changes.
  static constexpr std::chrono::milliseconds kHeldRetry{25};
  static constexpr std::chrono::milliseconds kHeldRetryFor{1000};
  static constexpr std::chrono::milliseconds kPendingRetry{1000};

  explicit FileOutput(Files& files) : files_(files) {}

  // When a held write is to be tried again; else never. A failure of
  // another kind waits for the next change.
  std::optional<Clock::time_point> retryAt() const { return retryAt_; }
  // What is to show changed: a held write starts its quick retries again.
  void changed() { heldSince_.reset(); }
  // Nothing is to be written now (the output is off): no retry either.
  void stop() { retryAt_.reset(); }
  // Puts `bytes` at `path` unless they are there already from us. True when
  // they are there now.
  bool write(Clock::time_point now, std::u16string path, std::string bytes);
  // How many times the file was replaced.
  unsigned long replacements() const { return replacements_; }

  // The last write's outcome, from any thread.
  Recorded<CaptionOutcome> status() const { return status_.load(); }

 private:
  struct Written {
    std::u16string path;
    std::string bytes;
  };

  Files& files_;
  std::optional<Written> written_;
  std::optional<Clock::time_point> heldSince_;
  std::optional<Clock::time_point> retryAt_;
  unsigned long replacements_ = 0;
  OutcomeCell<CaptionOutcome> status_;
};

}  // namespace tavrik
