#include "ui/condition_dialog_win32.h"

#include <commdlg.h>

#include <optional>
#include <vector>

#include "common/cp932_texts.h"
#include "resources/resource_ids.h"
#include "ui/file_filter.h"

namespace tavrik {

namespace {

// The whole text of a window, however long.
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

// The text of the selected list item; empty when none is selected.
std::string selectedItemText(HWND comboBox) {
  LRESULT selected = SendMessageA(comboBox, CB_GETCURSEL, 0, 0);
  if (selected == CB_ERR) return {};
  LRESULT length = SendMessageA(comboBox, CB_GETLBTEXTLEN, selected, 0);
  if (length == CB_ERR) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  LRESULT copied = SendMessageA(comboBox, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied == CB_ERR ? 0 : static_cast<std::size_t>(copied));
  return text;
}

// Ownerless, adds no extension, and refuses files it would report read-only
// or that lie in a write-protected folder.
std::optional<std::string> chooseTemplateFile() {
  std::string filter = nulSeparatedFilter(texts::kTemplateFilter,
                                          [](unsigned char byte) { return IsDBCSLeadByte(byte) != 0; });
  std::vector<char> path(32768, '\0');
  OPENFILENAMEA request = {};
  request.lStructSize = sizeof request;
  request.lpstrFilter = filter.c_str();  // its own NUL ends the list
  request.lpstrFile = path.data();
  request.nMaxFile = static_cast<DWORD>(path.size());
  request.Flags = OFN_NOREADONLYRETURN | OFN_EXPLORER;
  if (!GetOpenFileNameA(&request)) return std::nullopt;
  return std::string(path.data());
}

}  // namespace

// The type list is filled from the dialog's initial data by the framework.
CConditionDlg::CConditionDlg(HWND parent) : Dialog(IDD_CONDITION, parent) {}

const Dialog::MessageMap& CConditionDlg::messageMap() const {
  static const MessageMap map = {onClicked(IDC_BROWSE, &CConditionDlg::OnBrowse)};
  return map;
}

void CConditionDlg::OnOK() {
  m_conditionType = selectedItemText(GetDlgItem(IDC_CONDITION_TYPE));
  m_conditionValue = wholeWindowText(GetDlgItem(IDC_CONDITION_VALUE));
  m_templatePath = wholeWindowText(GetDlgItem(IDC_TEMPLATE_PATH));
  Dialog::OnOK();
}

void CConditionDlg::OnBrowse() {
  if (auto path = chooseTemplateFile()) SetWindowTextA(GetDlgItem(IDC_TEMPLATE_PATH), path->c_str());
}

}  // namespace tavrik
