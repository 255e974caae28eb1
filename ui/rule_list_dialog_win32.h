// The settings dialog: the rules as a table; Add, Delete, the caption file's
// and the OBS output's settings, and OK to replace the rules with the table.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "caption/caption_settings.h"
#include "common/code_page_win32.h"
#include "rules/rule_list.h"
#include "ui/dialog_win32.h"

namespace tavrik {

// The status lines below the table, asked afresh while the dialog is open.
using StatusLines = std::function<std::vector<std::u16string>()>;

class CRuleListDlg : public Dialog {
 public:
  // `rules` is read when the dialog opens and replaced only by OK; so are
  // `caption`'s settings, edited in their own dialog, when given. `status`,
  // when given, fills the lines below the table, twice a second.
  explicit CRuleListDlg(RuleList& rules, CaptionSettings* caption = nullptr, HWND parent = nullptr,
                        StatusLines status = nullptr);

  static constexpr UINT kStatusRefreshMs = 500;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnTimer(UINT_PTR timerId) override;
  const MessageMap& messageMap() const override;

  void OnDelete();
  void OnAdd();
  void OnCaption();
  void OnObs();
  void OnOverlay();
  void OnCover();

 private:
  void showStatus();

  RuleList& rules_;
  CaptionSettings* caption_;
  CaptionSettings editedCaption_;
  StatusLines status_;
  std::vector<std::u16string> shownStatus_;
  Win32CodePage codePage_;
};

}  // namespace tavrik
