#include "pipeline/title_change_handler.h"

namespace tavrik {

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

void TitleChangeHandler::handleOnce() {
  std::intptr_t index = host_.currentListPosition();
  const char* answer = host_.playlistFile(index);
  std::string path = answer ? answer : "";
  if (path == lastFilePath_) return;
  // Replaced before the tags are read: a file whose tags fail is not retried
  // on every retitling.
  lastFilePath_ = path;
  std::optional<TrackTags> tags = tags_.readTrackTags(path);
  if (!tags) return;
  delivery_.deliverToEncoder(renderer_.renderScriptText(*tags));
}

}  // namespace tavrik
