#include "ui/rule_list_dialog_win32.h"

#include "resources/resource_ids.h"
#include "ui/caption_dialog_win32.h"
#include "ui/condition_dialog_win32.h"
#include "ui/list_view_rows_win32.h"
#include "ui/obs_dialog_win32.h"

namespace tavrik {

CRuleListDlg::CRuleListDlg(RuleList& rules, CaptionSettings* caption, HWND parent)
    : Dialog(IDD_RULE_LIST, parent), rules_(rules), caption_(caption) {}

const Dialog::MessageMap& CRuleListDlg::messageMap() const {
  static const MessageMap map = {
      onClicked(IDC_DELETE, &CRuleListDlg::OnDelete),
      onClicked(IDC_ADD, &CRuleListDlg::OnAdd),
      onClicked(IDC_CAPTION_SETTINGS, &CRuleListDlg::OnCaption),
      onClicked(IDC_OBS_SETTINGS, &CRuleListDlg::OnObs),
  };
  return map;
}

BOOL CRuleListDlg::OnInitDialog() {
  Dialog::OnInitDialog();
  HWND list = GetDlgItem(IDC_RULE_LIST);
  setUpRuleColumns(list);
  ListViewRows rows(list, codePage_);
  fillRows(rows, rules_);
  if (caption_) editedCaption_ = *caption_;
  EnableWindow(GetDlgItem(IDC_CAPTION_SETTINGS), caption_ != nullptr);
  EnableWindow(GetDlgItem(IDC_OBS_SETTINGS), caption_ != nullptr);
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

void CRuleListDlg::OnCaption() {
  if (!caption_) return;
  CCaptionDlg dialog(editedCaption_, window());
  if (dialog.DoModal() == IDOK) editedCaption_ = dialog.m_settings;
}

void CRuleListDlg::OnObs() {
  if (!caption_) return;
  CObsDlg dialog(editedCaption_.obs, window());
  if (dialog.DoModal() == IDOK) editedCaption_.obs = dialog.m_settings;
}

void CRuleListDlg::OnOK() {
  ListViewRows rows(GetDlgItem(IDC_RULE_LIST), codePage_);
  commitRows(rows, rules_);
  if (caption_) *caption_ = editedCaption_;
  Dialog::OnOK();
}

}  // namespace tavrik
