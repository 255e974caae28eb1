#include "ui/rule_list_dialog_win32.h"

#include "resources/resource_ids.h"
#include "ui/caption_dialog_win32.h"
#include "ui/condition_dialog_win32.h"
#include "ui/cover_dialog_win32.h"
#include "ui/list_view_rows_win32.h"
#include "ui/obs_dialog_win32.h"
#include "ui/overlay_dialog_win32.h"

namespace tavrik {

namespace {
constexpr UINT_PTR kStatusTimer = 1;
}  // namespace

CRuleListDlg::CRuleListDlg(RuleList& rules, CaptionSettings* caption, HWND parent, StatusLines status)
    : Dialog(IDD_RULE_LIST, parent), rules_(rules), caption_(caption), status_(std::move(status)) {}

const Dialog::MessageMap& CRuleListDlg::messageMap() const {
  static const MessageMap map = {
      onClicked(IDC_DELETE, &CRuleListDlg::OnDelete),
      onClicked(IDC_ADD, &CRuleListDlg::OnAdd),
      onClicked(IDC_CAPTION_SETTINGS, &CRuleListDlg::OnCaption),
      onClicked(IDC_OBS_SETTINGS, &CRuleListDlg::OnObs),
      onClicked(IDC_OVERLAY_SETTINGS, &CRuleListDlg::OnOverlay),
      onClicked(IDC_COVER_SETTINGS, &CRuleListDlg::OnCover),
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
  EnableWindow(GetDlgItem(IDC_OVERLAY_SETTINGS), caption_ != nullptr);
  EnableWindow(GetDlgItem(IDC_COVER_SETTINGS), caption_ != nullptr);
  if (status_) {
    showStatus();
    SetTimer(window(), kStatusTimer, kStatusRefreshMs, nullptr);
  }
  return TRUE;
}

void CRuleListDlg::OnTimer(UINT_PTR timerId) {
  if (timerId == kStatusTimer) showStatus();
}

void CRuleListDlg::showStatus() {
  std::vector<std::u16string> lines = status_();
  lines.resize(IDC_STATUS_COUNT);
  // Only what changed is set again: the rest does not flicker.
  shownStatus_.resize(IDC_STATUS_COUNT);
  for (int i = 0; i < IDC_STATUS_COUNT; ++i) {
    if (lines[i] == shownStatus_[i]) continue;
    SetWindowTextW(GetDlgItem(IDC_STATUS_FIRST + i), reinterpret_cast<const wchar_t*>(lines[i].c_str()));
    shownStatus_[i] = lines[i];
  }
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

void CRuleListDlg::OnOverlay() {
  if (!caption_) return;
  COverlayDlg dialog(editedCaption_.overlay, window());
  if (dialog.DoModal() == IDOK) editedCaption_.overlay = dialog.m_settings;
}

void CRuleListDlg::OnCover() {
  if (!caption_) return;
  CCoverDlg dialog(editedCaption_, window());
  if (dialog.DoModal() == IDOK) editedCaption_ = dialog.m_settings;
}

void CRuleListDlg::OnOK() {
  ListViewRows rows(GetDlgItem(IDC_RULE_LIST), codePage_);
  commitRows(rows, rules_);
  if (caption_) *caption_ = editedCaption_;
  Dialog::OnOK();
}

}  // namespace tavrik
