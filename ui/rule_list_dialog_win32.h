// The settings dialog: the rules as a table; Add, Delete, the caption file's
// and the OBS output's settings, and OK to replace the rules with the table.
#pragma once

#include "caption/caption_settings.h"
#include "common/code_page_win32.h"
#include "rules/rule_list.h"
#include "ui/dialog_win32.h"

namespace tavrik {

class CRuleListDlg : public Dialog {
 public:
  // `rules` is read when the dialog opens and replaced only by OK; so are
  // `caption`'s settings, edited in their own dialog, when given.
  explicit CRuleListDlg(RuleList& rules, CaptionSettings* caption = nullptr, HWND parent = nullptr);

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  const MessageMap& messageMap() const override;

  void OnDelete();
  void OnAdd();
  void OnCaption();
  void OnObs();

 private:
  RuleList& rules_;
  CaptionSettings* caption_;
  CaptionSettings editedCaption_;
  Win32CodePage codePage_;
};

}  // namespace tavrik
