// The OBS output's settings: the address of OBS's WebSocket server, its
// password (shown masked), the text source's name and the plain-text
// template (typed or chosen).
#pragma once

#include "caption/caption_settings.h"
#include "common/code_page_win32.h"
#include "ui/dialog_win32.h"

namespace tavrik {

// What the address field shows while no address is set.
inline constexpr char16_t kDefaultObsAddress[] = u"127.0.0.1:4455";

class CObsDlg : public Dialog {
 public:
  explicit CObsDlg(const ObsOutputSettings& settings, HWND parent = nullptr);

  // Shown when the dialog opens; after OK, what it then showed. The default
  // address, left as it was shown, stays "no address set".
  ObsOutputSettings m_settings;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  const MessageMap& messageMap() const override;

  void OnBrowseTemplate();

 private:
  Win32CodePage codePage_;
};

}  // namespace tavrik
