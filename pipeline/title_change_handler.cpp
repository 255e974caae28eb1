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
  if (path != lastFilePath_) handleNewPath(path);
  // Stop and pause retitle the host on the same file: only its state tells.
  if (caption_ && caption_->wantsPlaybackStatus()) caption_->playbackStatus(host_.playbackStatus());
}

void TitleChangeHandler::handleNewPath(const AnsiOrWide& path) {
  // Replaced before the tags are read: a file whose tags fail is not retried
  // on every retitling.
  lastFilePath_ = path;
  std::optional<TrackTags> tags = tags_.readTrackTags(path);
  if (!tags) return;
  ScriptText text = renderer_.renderScriptText(*tags);
  delivery_.deliverToEncoder(text);
  if (caption_) caption_->trackText(text);
}

}  // namespace tavrik
