// The cover picture's settings: the cover file and the placeholder picture
// (typed or chosen), the OBS image source shown the file, and whether the
// overlay page shows the picture too.
#pragma once

#include "caption/caption_settings.h"
#include "common/code_page_win32.h"
#include "ui/dialog_win32.h"

namespace tavrik {

class CCoverDlg : public Dialog {
 public:
  explicit CCoverDlg(const CaptionSettings& settings, HWND parent = nullptr);

  // Shown when the dialog opens; after OK, what it then showed (the cover's
  // keys only: the rest is as it came).
  CaptionSettings m_settings;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  const MessageMap& messageMap() const override;

  void OnBrowseFile();
  void OnBrowseNone();

 private:
  Win32CodePage codePage_;
};

}  // namespace tavrik
