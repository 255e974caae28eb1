// What happens when the host retitles its main window: find the current file,
// and only when it differs from the last one handled, read its tags, render
// the script text and deliver it to the encoder.
#pragma once

#include "pipeline/template_renderer.h"
#include "pipeline/title_change_ports.h"

namespace tavrik {

class TitleChangeHandler {
 public:
  TitleChangeHandler(HostRequests& host, TagSource& tags, const TemplateRenderer& renderer,
                     ScriptDelivery& delivery)
      : host_(host), tags_(tags), renderer_(renderer), delivery_(delivery) {}

  // Runs for every WM_SETTEXT to the host's window. A retitling that arrives
  // while the handling runs (whatever on the way lets the host's messages
  // be dispatched) is not handled inside it: the running handling asks the
  // host again once its own text is handed over, so the newest track's text
  // is always handed over last.
  void onTitleChange();

  const AnsiOrWide& lastFilePath() const { return lastFilePath_; }

 private:
  void handleOnce();
  // The host's path of its current entry: in UTF-16 when the host answers
  // IPC_GETPLAYLISTFILEW, else in ANSI bytes as older hosts give it.
  AnsiOrWide currentFilePath();

  HostRequests& host_;
  TagSource& tags_;
  const TemplateRenderer& renderer_;
  ScriptDelivery& delivery_;
  AnsiOrWide lastFilePath_;
  bool running_ = false;
  bool retitledMeanwhile_ = false;
};

}  // namespace tavrik
