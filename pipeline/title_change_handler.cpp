#include "pipeline/title_change_handler.h"

#include "common/unicode_codec.h"

namespace tavrik {

namespace {
// Windows paths hold at most 32767 units: an answer without its terminator
// that far is cut there, and then names no file.
constexpr std::size_t kLongestWidePath = 32768;
}  // namespace

void TitleChangeHandler::onTitleChange() {
  if (running_) {
    retitledMeanwhile_ = true;
    return;
  }
  running_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{running_};
  do {
    retitledMeanwhile_ = false;
    handleOnce();
  } while (retitledMeanwhile_);
}

AnsiOrWide TitleChangeHandler::currentFilePath() {
  std::intptr_t index = host_.currentListPosition();
  // The path as the host has it, not cleaned up in any way: it must name the
  // same file.
  if (const char16_t* wide = host_.playlistFileWide(index)) return copyWideText(wide, kLongestWidePath);
  const char* answer = host_.playlistFile(index);
  return std::string(answer ? answer : "");
}

void TitleChangeHandler::handleOnce() {
  AnsiOrWide path = currentFilePath();
  if (path == lastFilePath_) return;
  // Replaced before the tags are read: a file whose tags fail is not retried
  // on every retitling.
  lastFilePath_ = path;
  std::optional<TrackTags> tags = tags_.readTrackTags(path);
  if (!tags) return;
  delivery_.deliverToEncoder(renderer_.renderScriptText(*tags));
}

}  // namespace tavrik
