#include "caption/file_output.h"

#include "common/replace_content.h"

namespace tavrik {

CaptionOutcome captionOutcomeOf(const ReplaceResult& result) {
  switch (result.outcome) {
    case ReplaceOutcome::Replaced:
      return CaptionOutcome::written;
    case ReplaceOutcome::HeldElsewhere:
      return CaptionOutcome::held;
    case ReplaceOutcome::Failed:
      break;
  }
  switch (result.error) {
    case 2:    // ERROR_FILE_NOT_FOUND
    case 3:    // ERROR_PATH_NOT_FOUND
    case 123:  // ERROR_INVALID_NAME
    case 161:  // ERROR_BAD_PATHNAME
      return CaptionOutcome::folderMissing;
    case 5:   // ERROR_ACCESS_DENIED
    case 19:  // ERROR_WRITE_PROTECT
      return CaptionOutcome::denied;
    case 39:   // ERROR_HANDLE_DISK_FULL
    case 112:  // ERROR_DISK_FULL
      return CaptionOutcome::diskFull;
    default:
      return CaptionOutcome::otherFailure;
  }
}

bool FileOutput::write(Clock::time_point now, std::u16string path, std::string bytes) {
  retryAt_.reset();
  if (written_ && written_->path == path && written_->bytes == bytes) return true;

  ReplaceResult result = replaceSharedFileContent(files_, path, bytes);
  status_.record(captionOutcomeOf(result), static_cast<int>(result.error));
  switch (result.outcome) {
    case ReplaceOutcome::Replaced:
      written_ = Written{std::move(path), std::move(bytes)};
      heldSince_.reset();
      ++replacements_;
      return true;
    case ReplaceOutcome::HeldElsewhere:
      if (!heldSince_) heldSince_ = now;
      retryAt_ = now + (now - *heldSince_ < kHeldRetryFor ? kHeldRetry : kPendingRetry);
      return false;
    case ReplaceOutcome::Failed:
      // Said nowhere (never a message box at a track change); the next
      // change tries again.
      return false;
  }
  return false;
}

}  // namespace tavrik
