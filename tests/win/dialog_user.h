// Operating this process's real dialogs from a second thread, as a user
// would, while the test's thread runs them modally. A watchdog ends any
// dialog left open, so a fault fails the test instead of hanging it.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

namespace tavrik::testing {

// A step the user could not take: a window that did not come or go.
struct UserStepFailed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

inline constexpr DWORD kStepTimeoutMs = 10000;

inline bool isDialogOfThisProcess(HWND window) {
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process == GetCurrentProcessId() && std::string(className) == "#32770";
}

struct DialogSearch {
  int controlId;
  HWND found;
};

// Window enumeration calls back with the standard calling convention, which
// a lambda does not have on i686.
inline BOOL CALLBACK matchDialogWith(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  if (isDialogOfThisProcess(window) && IsWindowVisible(window) && GetDlgItem(window, search->controlId)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// A visible dialog of this process holding a control with `controlId`.
inline HWND findDialogWith(int controlId) {
  DialogSearch search{controlId, nullptr};
  EnumWindows(matchDialogWith, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline HWND waitForDialogWith(int controlId, const char* what) {
  for (DWORD waited = 0; waited < kStepTimeoutMs; waited += 10) {
    if (HWND found = findDialogWith(controlId)) return found;
    Sleep(10);
  }
  throw UserStepFailed(std::string("no ") + what + " appeared");
}

// The open-file chooser: its file name field is 0x47C, or 0x480 in the
// older layout.
inline HWND waitForFileChooser() {
  for (DWORD waited = 0; waited < kStepTimeoutMs; waited += 10) {
    if (HWND found = findDialogWith(0x47C)) return found;
    if (HWND found = findDialogWith(0x480)) return found;
    Sleep(10);
  }
  throw UserStepFailed("no file chooser appeared");
}

inline void waitUntilGone(HWND window, const char* what) {
  for (DWORD waited = 0; waited < kStepTimeoutMs; waited += 10) {
    if (!IsWindow(window)) return;
    Sleep(10);
  }
  throw UserStepFailed(std::string("the ") + what + " did not close");
}

inline HWND control(HWND dialog, int id) {
  HWND found = GetDlgItem(dialog, id);
  if (!found) throw UserStepFailed("no control " + std::to_string(id));
  return found;
}

// A message handled to the end by the dialog's thread before this returns.
inline LRESULT send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kStepTimeoutMs, &result)) {
    throw UserStepFailed("a message was not handled: " + std::to_string(message));
  }
  return static_cast<LRESULT>(result);
}

// A click whose handler runs to its end before this returns.
inline void click(HWND dialog, int id) { send(control(dialog, id), BM_CLICK); }
// A click whose handler opens or ends a modal dialog: posted, as the handler
// returns only when that dialog ends.
inline void clickAndGo(HWND dialog, int id) { PostMessageA(control(dialog, id), BM_CLICK, 0, 0); }
inline void type(HWND dialog, int id, const std::string& text) {
  send(control(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
inline std::string textOf(HWND window) {
  std::string text(send(window, WM_GETTEXTLENGTH) + 1, '\0');
  text.resize(send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  return text;
}
inline void pressEscape(HWND dialog) {
  PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageA(dialog, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}
inline void closeBox(HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

inline BOOL CALLBACK closeIfDialogOfThisProcess(HWND window, LPARAM) {
  if (isDialogOfThisProcess(window)) PostMessageA(window, WM_CLOSE, 0, 0);
  return TRUE;
}

inline void closeEveryDialog() { EnumWindows(closeIfDialogOfThisProcess, 0); }

struct ModalOutcome {
  INT_PTR answer = 0;
  std::string failure;  // empty when every step of the user went through
};

// Runs `openDialog` (a DoModal) on this thread while `user` acts on a second
// one. A failed step closes every dialog; a dialog still open 10 s after the
// user's last step, or anything open after `limitMs`, is closed too and
// reported; if even that does not end it, the process ends.
inline ModalOutcome runModal(const std::function<INT_PTR()>& openDialog, const std::function<void()>& user,
                             DWORD limitMs = 60000) {
  ModalOutcome outcome;
  std::atomic<bool> returned{false};
  std::string userFailure;
  std::atomic<bool> overrun{false};
  auto waitForReturn = [&](DWORD ms) {
    for (DWORD waited = 0; waited < ms && !returned; waited += 10) Sleep(10);
    return returned.load();
  };
  auto forceClose = [&](const char* why) {
    closeEveryDialog();
    if (waitForReturn(kStepTimeoutMs)) return;
    std::fprintf(stderr, "%s, and the dialogs do not close: ending the test program\n", why);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
  };
  std::thread userThread([&] {
    try {
      user();
    } catch (const std::exception& e) {
      userFailure = e.what();
      forceClose(e.what());
      return;
    }
    if (!waitForReturn(kStepTimeoutMs)) {
      userFailure = "the dialog was still open after the user's last step";
      forceClose(userFailure.c_str());
    }
  });
  std::thread watchdog([&] {
    if (waitForReturn(limitMs)) return;
    overrun = true;
    forceClose("the dialog ran over its time");
  });
  outcome.answer = openDialog();
  returned = true;
  userThread.join();
  watchdog.join();
  outcome.failure = overrun ? "the dialog ran over its time" : userFailure;
  return outcome;
}

}  // namespace tavrik::testing
