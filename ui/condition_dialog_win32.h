// The small dialog composing one new rule: a type from the list, a value, and
// a template file typed or browsed for.
#pragma once

#include "common/ansi_or_wide.h"
#include "common/code_page_win32.h"
#include "ui/dialog_win32.h"

namespace tavrik {

class CConditionDlg : public Dialog {
 public:
  explicit CConditionDlg(HWND parent = nullptr);

  // Empty until OK; then the selected list item (or empty: text typed into
  // the type field is no type) and the two edits' whole texts, as they are:
  // ANSI bytes when the code page holds them, UTF-16 otherwise.
  AnsiOrWide m_conditionType;
  AnsiOrWide m_conditionValue;
  AnsiOrWide m_templatePath;

 protected:
  void OnOK() override;
  const MessageMap& messageMap() const override;

  // A file chosen in the open-file chooser replaces the template path;
  // Cancel there changes nothing.
  void OnBrowse();

 private:
  Win32CodePage codePage_;
};

}  // namespace tavrik
