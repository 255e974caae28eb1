#include "ui/condition_dialog_win32.h"

#include "common/cp932_texts.h"
#include "resources/resource_ids.h"
#include "ui/dialog_controls_win32.h"

namespace tavrik {

namespace {

// The text of the selected list item; empty when none is selected.
std::u16string selectedItemText(HWND comboBox) {
  LRESULT selected = SendMessageW(comboBox, CB_GETCURSEL, 0, 0);
  if (selected == CB_ERR) return {};
  LRESULT length = SendMessageW(comboBox, CB_GETLBTEXTLEN, selected, 0);
  if (length == CB_ERR) return {};
  std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
  LRESULT copied = SendMessageW(comboBox, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied == CB_ERR ? 0 : static_cast<std::size_t>(copied));
  return text;
}

}  // namespace

// The type list is filled from the dialog's initial data by the framework.
CConditionDlg::CConditionDlg(HWND parent) : Dialog(IDD_CONDITION, parent) {}

const Dialog::MessageMap& CConditionDlg::messageMap() const {
  static const MessageMap map = {onClicked(IDC_BROWSE, &CConditionDlg::OnBrowse)};
  return map;
}

void CConditionDlg::OnOK() {
  m_conditionType = narrowedWherePossible(selectedItemText(GetDlgItem(IDC_CONDITION_TYPE)), codePage_);
  m_conditionValue = narrowedWherePossible(wholeWindowText(GetDlgItem(IDC_CONDITION_VALUE)), codePage_);
  m_templatePath = narrowedWherePossible(wholeWindowText(GetDlgItem(IDC_TEMPLATE_PATH)), codePage_);
  Dialog::OnOK();
}

void CConditionDlg::OnBrowse() {
  // Ownerless, as it always was, and adding no extension.
  FileChoice choice;
  choice.filter = texts::kTemplateFilter;
  if (auto path = chooseFile(choice, codePage_)) setWindowText(GetDlgItem(IDC_TEMPLATE_PATH), *path, codePage_);
}

}  // namespace tavrik
