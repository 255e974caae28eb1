// What happens when the host retitles its main window: find the current file,
// and only when it differs from the last one handled, read its tags, render
// the script text and deliver it to the encoder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/file_system.h"
#include "pipeline/track_tags.h"
#include "rules/rule_list.h"

namespace tavrik {

// The host's two window-message requests.
class HostRequests {
 public:
  virtual ~HostRequests() = default;
  // IPC_GETLISTPOS: the current playlist index.
  virtual std::intptr_t currentListPosition() = 0;
  // IPC_GETPLAYLISTFILE: the host's own text for that entry's path, or null.
  virtual const char* playlistFile(std::intptr_t index) = 0;
};

// Where the tags come from: the tag library, bound or not.
class TagSource {
 public:
  virtual ~TagSource() = default;
  // The tags of `path`, or nothing when they cannot be loaded.
  virtual std::optional<TrackTags> readTrackTags(const std::string& path) = 0;
};

// Where the text goes: the encoder's Script panel.
class ScriptDelivery {
 public:
  virtual ~ScriptDelivery() = default;
  virtual void deliverToEncoder(const std::string& text) = 0;
};

class TitleChangeHandler {
 public:
  TitleChangeHandler(HostRequests& host, TagSource& tags, ScriptDelivery& delivery,
                     const RuleList& rules, FileSystem& files, std::string defaultTemplatePath)
      : host_(host), tags_(tags), delivery_(delivery), rules_(rules), files_(files),
        defaultTemplatePath_(std::move(defaultTemplatePath)) {}

  // Runs for every WM_SETTEXT to the host's window. A retitling that arrives
  // while a delivery waits for the encoder is not handled inside it: the
  // running handling asks the host again once its own delivery is done, so
  // the encoder always ends with the newest track's text.
  void onTitleChange();

  const std::string& lastFilePath() const { return lastFilePath_; }

 private:
  void handleOnce();

  HostRequests& host_;
  TagSource& tags_;
  ScriptDelivery& delivery_;
  const RuleList& rules_;
  FileSystem& files_;
  std::string defaultTemplatePath_;
  std::string lastFilePath_;
  bool running_ = false;
  bool retitledMeanwhile_ = false;
};

}  // namespace tavrik
