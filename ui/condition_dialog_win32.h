// The small dialog composing one new rule: a type from the list, a value, and
// a template file typed or browsed for.
#pragma once

#include <string>

#include "ui/dialog_win32.h"

namespace tavrik {

class CConditionDlg : public Dialog {
 public:
  explicit CConditionDlg(HWND parent = nullptr);

  // Empty until OK; then the selected list item (or empty: text typed into
  // the type field is no type) and the two edits' whole texts, as they are.
  std::string m_conditionType;
  std::string m_conditionValue;
  std::string m_templatePath;

 protected:
  void OnOK() override;
  const MessageMap& messageMap() const override;

  // A file chosen in the open-file chooser replaces the template path;
  // Cancel there changes nothing.
  void OnBrowse();
};

}  // namespace tavrik
