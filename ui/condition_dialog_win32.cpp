#include "ui/condition_dialog_win32.h"

#include "resources/resource_ids.h"
#include "ui/condition_fields_win32.h"
#include "ui/open_file_chooser_win32.h"

namespace tavrik {

// The type list is filled from the dialog's initial data by the framework.
CConditionDlg::CConditionDlg(HWND parent) : Dialog(IDD_CONDITION, parent) {}

const Dialog::MessageMap& CConditionDlg::messageMap() const {
  static const MessageMap map = {onClicked(IDC_BROWSE, &CConditionDlg::OnBrowse)};
  return map;
}

void CConditionDlg::OnOK() {
  DialogConditionFields fields(window());
  ConditionTexts texts = readConditionFields(fields);
  m_conditionType = std::move(texts.conditionType);
  m_conditionValue = std::move(texts.conditionValue);
  m_templatePath = std::move(texts.templatePath);
  Dialog::OnOK();
}

void CConditionDlg::OnBrowse() {
  DialogConditionFields fields(window());
  Win32OpenFileChooser chooser;
  browseTemplate(fields, chooser);
}

}  // namespace tavrik
