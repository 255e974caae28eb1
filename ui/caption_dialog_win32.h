// The caption file's settings: where the file goes (typed or chosen with the
// save-file chooser), its own plain-text template and the idle template (both
// optional) and what a paused player shows. The OBS keys pass through as
// they came.
#pragma once

#include "caption/caption_settings.h"
#include "common/code_page_win32.h"
#include "ui/dialog_win32.h"

namespace tavrik {

class CCaptionDlg : public Dialog {
 public:
  explicit CCaptionDlg(const CaptionSettings& settings, HWND parent = nullptr);

  // Shown when the dialog opens; after OK, what it then showed. Paths are
  // ANSI bytes when the code page holds them, UTF-16 otherwise.
  CaptionSettings m_settings;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  const MessageMap& messageMap() const override;

  void OnBrowseFile();
  void OnBrowseIdleTemplate();
  void OnBrowseTemplate();

 private:
  Win32CodePage codePage_;
};

}  // namespace tavrik
