#include "ui/rule_list_dialog_win32.h"

#include "resources/resource_ids.h"
#include "ui/condition_dialog_win32.h"
#include "ui/list_view_rows_win32.h"

namespace tavrik {

CRuleListDlg::CRuleListDlg(RuleList& rules, HWND parent) : Dialog(IDD_RULE_LIST, parent), rules_(rules) {}

const Dialog::MessageMap& CRuleListDlg::messageMap() const {
  static const MessageMap map = {
      onClicked(IDC_DELETE, &CRuleListDlg::OnDelete),
      onClicked(IDC_ADD, &CRuleListDlg::OnAdd),
  };
  return map;
}

BOOL CRuleListDlg::OnInitDialog() {
  Dialog::OnInitDialog();
  HWND list = GetDlgItem(IDC_RULE_LIST);
  setUpRuleColumns(list);
  ListViewRows rows(list, codePage_);
  fillRows(rows, rules_);
  return TRUE;
}

void CRuleListDlg::OnDelete() {
  ListViewRows rows(GetDlgItem(IDC_RULE_LIST), codePage_);
  deleteLowestSelectedRow(rows);
}

void CRuleListDlg::OnAdd() {
  // Owned by this dialog, which stays disabled meanwhile: a second Add, or OK
  // and Cancel here, cannot pull the table away under an open condition dialog.
  CConditionDlg condition(window());
  if (condition.DoModal() != IDOK) return;
  ListViewRows rows(GetDlgItem(IDC_RULE_LIST), codePage_);
  appendRow(rows, TemplateRule{condition.m_conditionType, condition.m_conditionValue, condition.m_templatePath});
}

void CRuleListDlg::OnOK() {
  ListViewRows rows(GetDlgItem(IDC_RULE_LIST), codePage_);
  commitRows(rows, rules_);
  Dialog::OnOK();
}

}  // namespace tavrik
