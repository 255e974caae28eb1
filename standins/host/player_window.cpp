// The stand-in player's main window: its class and procedure, and how the
// player closes it.
#include "player.h"

namespace standin {

namespace {

constexpr char kWindowClass[] = "Winamp v1.x";
Player* activePlayer = nullptr;

LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (Player* player = activePlayer) {
    try {
      switch (message) {
        case WM_USER:
          return player->answerRequest(wParam, lParam);
        case WM_TIMER:
          if (wParam != Player::kScriptTimer) break;
          player->onScriptTimer();
          return 0;
        case WM_CLOSE:
          player->requestClose("WM_CLOSE");
          return 0;
        default:
          break;
      }
    } catch (...) {
      // Nothing escapes into the window manager.
      player->logLine("error in window procedure");
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

Player::~Player() {
  if (activePlayer == this) activePlayer = nullptr;
}

bool Player::createWindow(HINSTANCE instance) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = hostWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kWindowClass;
  if (!RegisterClassA(&wc)) return false;
  // The size of the classic player's main window.
  window_ = CreateWindowA(kWindowClass, "Winamp", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                          CW_USEDEFAULT, 275, 116, nullptr, nullptr, instance, nullptr);
  if (!window_) return false;
  activePlayer = this;
  ShowWindow(window_, SW_SHOWNOACTIVATE);
  log_.line("window " + hex(reinterpret_cast<UINT_PTR>(window_)) + " class=" + kWindowClass);
  return true;
}

void Player::requestClose(const char* why) {
  if (leaving_) return;
  if (!closeRequested_) log_.line(std::string("close requested by ") + why);
  closeRequested_ = true;
  if (!busy_) leave();
}

void Player::leave() {
  // Quit and unload wait until the message loop has ended: here a plug-in's
  // window procedure may still be on the stack, and unloading it now would
  // return into code that is gone.
  leaving_ = true;
  KillTimer(window_, kScriptTimer);
  PostQuitMessage(0);
}

int Player::finish() {
  plugins_.quitAndUnloadAll();
  auto procedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window_, GWLP_WNDPROC));
  bool restored = procedure == hostWindowProc;
  log_.line(std::string("wndproc restored: ") + (restored ? "yes" : "no"));
  HMODULE owner = nullptr;
  if (!restored &&
      !GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCSTR>(procedure), &owner)) {
    // The window's procedure is in unloaded code: closing the window would
    // crash. That was logged above; the host takes its window back to end.
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hostWindowProc));
    log_.line("wndproc reset by host: the procedure's module is gone");
  }
  log_.line("requests listpos=" + std::to_string(listPosRequests_) +
            " playlistfile=" + std::to_string(playlistFileRequests_) +
            " other=" + std::to_string(otherRequests_));
  DestroyWindow(window_);
  log_.line("exit " + std::to_string(exitCode_));
  return exitCode_;
}

}  // namespace standin
