// The small dialog composing one new rule: a type from the list, a value, and
// a template file typed or browsed for.
#pragma once

#include <string>

#include "ui/dialog_win32.h"

namespace tavrik {

class CConditionDlg : public Dialog {
 public:
  explicit CConditionDlg(HWND parent = nullptr);

  // Empty until OK; then the selected type (or empty) and the two texts.
  std::string m_conditionType;
  std::string m_conditionValue;
  std::string m_templatePath;

 protected:
  void OnOK() override;
  const MessageMap& messageMap() const override;

  void OnBrowse();
};

}  // namespace tavrik
