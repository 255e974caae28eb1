#include "ui/condition_dialog_win32.h"

#include <commdlg.h>

#include <algorithm>
#include <optional>

#include "common/cp932_texts.h"
#include "resources/resource_ids.h"
#include "ui/file_filter.h"

namespace tavrik {

namespace {

wchar_t* asWide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }

// The whole text of a window, however long. The dialog is a Unicode window,
// so a text the ANSI code page cannot hold arrives whole.
std::u16string wholeWindowText(HWND window) {
  // The length asked first can exceed the text; the copy tells the true one.
  int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
  int copied = GetWindowTextW(window, asWide(text.data()), length + 1);
  text.resize(copied > 0 ? copied : 0);
  return text;
}

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

// Ownerless, adds no extension, and refuses files it would report read-only
// or that lie in a write-protected folder. The wide chooser returns any file
// name whole; its filter is the module's code page 932 text, read as the
// ANSI functions read it.
std::optional<std::u16string> chooseTemplateFile(CodePage& codePage) {
  std::u16string filter = codePage.toWide(nulSeparatedFilter(
      texts::kTemplateFilter, [](unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }));
  std::u16string path(32768, u'\0');
  OPENFILENAMEW request = {};
  request.lStructSize = sizeof request;
  request.lpstrFilter = asWide(filter.data());  // its own NUL ends the list
  request.lpstrFile = asWide(path.data());
  request.nMaxFile = static_cast<DWORD>(path.size());
  request.Flags = OFN_NOREADONLYRETURN | OFN_EXPLORER;
  if (!GetOpenFileNameW(&request)) return std::nullopt;
  path.resize(std::min(path.find(u'\0'), path.size()));
  return path;
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
  if (auto path = chooseTemplateFile(codePage_)) {
    SetWindowTextW(GetDlgItem(IDC_TEMPLATE_PATH), reinterpret_cast<const wchar_t*>(path->c_str()));
  }
}

}  // namespace tavrik
