// A small modal dialog framework in place of MFC's CDialog: one object per
// dialog run, virtual handlers, and a table binding button clicks to members.
#pragma once

#include <windows.h>

#include <vector>

namespace tavrik {

class Dialog {
 public:
  using Handler = void (Dialog::*)();
  // One button click bound to a member, as MFC's ON_BN_CLICKED did.
  struct ClickEntry {
    int controlId;
    Handler handler;
  };
  using MessageMap = std::vector<ClickEntry>;

  // The dialog template `templateId` of this module; `parent` owns the dialog
  // (none for a top-level one).
  explicit Dialog(int templateId, HWND parent = nullptr);
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog until it ends: IDOK, IDCANCEL, or -1 when it could not
  // be created.
  INT_PTR DoModal();

  HWND window() const { return window_; }

 protected:
  // After the controls are made and their initial data applied. TRUE gives
  // the focus to the first tab stop.
  virtual BOOL OnInitDialog();
  // The default button, and Enter. Ends the dialog with IDOK.
  virtual void OnOK();
  // Cancel, Escape and the close box. Ends the dialog with IDCANCEL.
  virtual void OnCancel();
  // A timer the dialog set on its window went off.
  virtual void OnTimer(UINT_PTR timerId);
  virtual const MessageMap& messageMap() const;

  void EndDialog(INT_PTR result);
  HWND GetDlgItem(int controlId) const;

  template <typename Derived>
  static ClickEntry onClicked(int controlId, void (Derived::*handler)()) {
    return {controlId, static_cast<Handler>(handler)};
  }

 private:
  static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void applyInitData();
  bool handleCommand(int controlId, int notification);

  int templateId_;
  HWND parent_;
  HWND window_ = nullptr;
};

}  // namespace tavrik
