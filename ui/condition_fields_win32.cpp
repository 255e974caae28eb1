#include "ui/condition_fields_win32.h"

#include "resources/resource_ids.h"

namespace tavrik {

std::string wholeWindowText(HWND window) {
  // The length asked first can exceed the text (double-byte texts); the copy
  // tells the true one.
  int length = GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  int copied = GetWindowTextA(window, text.data(), length + 1);
  text.resize(copied > 0 ? copied : 0);
  return text;
}

int DialogConditionFields::selectedType() {
  LRESULT selected = SendMessageA(GetDlgItem(dialog_, IDC_CONDITION_TYPE), CB_GETCURSEL, 0, 0);
  return selected == CB_ERR ? -1 : static_cast<int>(selected);
}

std::string DialogConditionFields::typeText(int index) {
  HWND types = GetDlgItem(dialog_, IDC_CONDITION_TYPE);
  LRESULT length = SendMessageA(types, CB_GETLBTEXTLEN, index, 0);
  if (length == CB_ERR) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  LRESULT copied = SendMessageA(types, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied == CB_ERR ? 0 : static_cast<std::size_t>(copied));
  return text;
}

std::string DialogConditionFields::conditionValue() {
  return wholeWindowText(GetDlgItem(dialog_, IDC_CONDITION_VALUE));
}

std::string DialogConditionFields::templatePath() {
  return wholeWindowText(GetDlgItem(dialog_, IDC_TEMPLATE_PATH));
}

void DialogConditionFields::setTemplatePath(const std::string& path) {
  SetWindowTextA(GetDlgItem(dialog_, IDC_TEMPLATE_PATH), path.c_str());
}

}  // namespace tavrik
