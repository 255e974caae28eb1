// The overlay page's settings: its port on 127.0.0.1, its HTML template and
// the user's stylesheet (typed or chosen), and how many seconds a caption
// shows after a change.
#pragma once

#include "caption/caption_settings.h"
#include "common/code_page_win32.h"
#include "ui/dialog_win32.h"

namespace tavrik {

class COverlayDlg : public Dialog {
 public:
  explicit COverlayDlg(const OverlayOutputSettings& settings, HWND parent = nullptr);

  // Shown when the dialog opens; after OK, what it then showed.
  OverlayOutputSettings m_settings;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  const MessageMap& messageMap() const override;

  void OnBrowseTemplate();
  void OnBrowseStyle();

 private:
  Win32CodePage codePage_;
};

}  // namespace tavrik
