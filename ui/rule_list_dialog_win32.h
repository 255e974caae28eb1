// The settings dialog: the rules as a table; Add, Delete, and OK to replace
// the rules with the table.
#pragma once

#include "common/code_page_win32.h"
#include "rules/rule_list.h"
#include "ui/dialog_win32.h"

namespace tavrik {

class CRuleListDlg : public Dialog {
 public:
  // `rules` is read when the dialog opens and replaced only by OK.
  explicit CRuleListDlg(RuleList& rules, HWND parent = nullptr);

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  const MessageMap& messageMap() const override;

  void OnDelete();
  void OnAdd();

 private:
  RuleList& rules_;
  Win32CodePage codePage_;
};

}  // namespace tavrik
