#include "ui/dialog_win32.h"

#include <commctrl.h>

#include "common/module_services_win32.h"
#include "resources/resource_ids.h"
#include "ui/dialog_init_data.h"

namespace tavrik {

Dialog::Dialog(int templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

INT_PTR Dialog::DoModal() {
  // The list view's window class must exist before a template naming it is
  // built (MFC registered the common controls in the same place).
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&classes);
  // Templates come from the module holding this code, never from the host.
  HMODULE module = thisModule();
  if (!FindResourceA(module, MAKEINTRESOURCEA(templateId_), RT_DIALOG)) return -1;
  // A Unicode dialog: its edits and lists hold any text the user types,
  // where an ANSI one would keep only what the ANSI code page can.
  INT_PTR result = DialogBoxParamW(module, MAKEINTRESOURCEW(templateId_), parent_, &Dialog::procedure,
                                   reinterpret_cast<LPARAM>(this));
  window_ = nullptr;
  return result;
}

BOOL Dialog::OnInitDialog() { return TRUE; }
void Dialog::OnOK() { EndDialog(IDOK); }
void Dialog::OnCancel() { EndDialog(IDCANCEL); }
void Dialog::OnTimer(UINT_PTR) {}

const Dialog::MessageMap& Dialog::messageMap() const {
  static const MessageMap none;
  return none;
}

void Dialog::EndDialog(INT_PTR result) { ::EndDialog(window_, result); }

HWND Dialog::GetDlgItem(int controlId) const { return ::GetDlgItem(window_, controlId); }

void Dialog::applyInitData() {
  HMODULE module = thisModule();
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(templateId_), MAKEINTRESOURCEA(RT_DIALOG_INIT));
  if (!found) return;
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return;
  for (const DialogInitEntry& entry :
       parseDialogInitData(static_cast<const unsigned char*>(bytes), SizeofResource(module, found))) {
    // The stored codes are 16-bit Windows message numbers; only the two
    // add-string codes are ever stored for plain controls.
    UINT message = entry.message == kStoredComboBoxAddString ? CB_ADDSTRING
                   : entry.message == kStoredListBoxAddString ? LB_ADDSTRING
                                                              : 0;
    if (message == 0 || entry.data.empty() || entry.data.back() != '\0') continue;
    SendDlgItemMessageA(window_, entry.controlId, message, 0, reinterpret_cast<LPARAM>(entry.data.c_str()));
  }
}

bool Dialog::handleCommand(int controlId, int notification) {
  if (notification == BN_CLICKED) {
    for (const ClickEntry& entry : messageMap()) {
      if (entry.controlId == controlId) {
        (this->*entry.handler)();
        return true;
      }
    }
  }
  // Enter and Escape come as BN_CLICKED (0) of IDOK and IDCANCEL, an
  // accelerator as 1.
  if (notification != BN_CLICKED && notification != 1) return false;
  if (controlId == IDOK) {
    OnOK();
  } else if (controlId == IDCANCEL) {
    OnCancel();
  } else {
    return false;
  }
  return true;
}

INT_PTR CALLBACK Dialog::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    self->window_ = window;
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
  }
  if (!self) return FALSE;
  // No exception may unwind through the window manager: a handler that fails
  // leaves the dialog open as it was, and a dialog that cannot initialise
  // ends as one that could not be created.
  try {
    switch (message) {
      case WM_INITDIALOG:
        self->applyInitData();
        return self->OnInitDialog();
      case WM_COMMAND:
        return self->handleCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
      case WM_TIMER:
        self->OnTimer(wParam);
        return TRUE;
      default:
        return FALSE;
    }
  } catch (...) {
    if (message == WM_INITDIALOG) ::EndDialog(window, -1);
    return FALSE;
  }
}

}  // namespace tavrik
