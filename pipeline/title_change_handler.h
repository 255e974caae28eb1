// What happens when the host retitles its main window: find the current file,
// and only when it differs from the last one handled, read its tags, render
// the script text and deliver it to the encoder.
#pragma once

#include <string>

#include "pipeline/template_renderer.h"
#include "pipeline/title_change_ports.h"

namespace tavrik {

class TitleChangeHandler {
 public:
  TitleChangeHandler(HostRequests& host, TagSource& tags, const TemplateRenderer& renderer,
                     ScriptDelivery& delivery)
      : host_(host), tags_(tags), renderer_(renderer), delivery_(delivery) {}

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
  const TemplateRenderer& renderer_;
  ScriptDelivery& delivery_;
  std::string lastFilePath_;
  bool running_ = false;
  bool retitledMeanwhile_ = false;
};

}  // namespace tavrik
