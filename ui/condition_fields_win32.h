// The condition dialog's fields on its combo box and two edits.
#pragma once

#include <windows.h>

#include "ui/condition_fields.h"

namespace tavrik {

class DialogConditionFields final : public ConditionFields {
 public:
  explicit DialogConditionFields(HWND dialog) : dialog_(dialog) {}
  int selectedType() override;
  std::string typeText(int index) override;
  std::string conditionValue() override;
  std::string templatePath() override;
  void setTemplatePath(const std::string& path) override;

 private:
  HWND dialog_;
};

// The whole text of a window, however long.
std::string wholeWindowText(HWND window);

}  // namespace tavrik
