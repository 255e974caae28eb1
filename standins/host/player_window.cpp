// The stand-in player's main window: its class and procedure, and how the
// player closes it.
#include "player.h"

#include <psapi.h>

namespace standin {

namespace {

constexpr char kWindowClass[] = "Winamp v1.x";
constexpr wchar_t kWideWindowClass[] = L"Winamp v1.x";
Player* activePlayer = nullptr;

// The player's own handling; false for what goes to the default procedure.
bool handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (Player* player = activePlayer) {
    try {
      switch (message) {
        case WM_USER:
          result = player->answerRequest(wParam, lParam);
          return true;
        case WM_TIMER:
          if (wParam == Player::kScriptTimer) {
            player->onScriptTimer();
          } else if (wParam == Player::kScrollTimer) {
            player->onScrollTimer();
          } else {
            break;
          }
          result = 0;
          return true;
        case WM_CLOSE:
          player->requestClose("WM_CLOSE");
          result = 0;
          return true;
        default:
          break;
      }
    } catch (...) {
      // Nothing escapes into the window manager.
      player->logLine("error in window procedure");
    }
  }
  return false;
}

LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (handle(message, wParam, lParam, result)) return result;
  return DefWindowProcA(window, message, wParam, lParam);
}

// The same for the Unicode window: its titles stay UTF-16 all the way.
LRESULT CALLBACK wideHostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (handle(message, wParam, lParam, result)) return result;
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

Player::~Player() {
  if (activePlayer == this) activePlayer = nullptr;
}

bool Player::createWindow(HINSTANCE instance) {
  // The size of the classic player's main window.
  if (options_.unicodeWindow) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = wideHostWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kWideWindowClass;
    if (!RegisterClassW(&wc)) return false;
    window_ = CreateWindowW(kWideWindowClass, L"Winamp", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                            CW_USEDEFAULT, 275, 116, nullptr, nullptr, instance, nullptr);
  } else {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = hostWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassA(&wc)) return false;
    window_ = CreateWindowA(kWindowClass, "Winamp", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                            CW_USEDEFAULT, 275, 116, nullptr, nullptr, instance, nullptr);
  }
  if (!window_) return false;
  activePlayer = this;
  ShowWindow(window_, SW_SHOWNOACTIVATE);
  if (options_.scrollMs) SetTimer(window_, kScrollTimer, options_.scrollMs, nullptr);
  log_.line("window " + hex(reinterpret_cast<UINT_PTR>(window_)) + " class=" + kWindowClass +
            (options_.unicodeWindow ? " unicode" : ""));
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
  KillTimer(window_, kScrollTimer);
  PostQuitMessage(0);
}

int Player::finish() {
  plugins_.quitAndUnloadAll();
  // Asked in the window's own kind: the other kind would answer a translating
  // stand-in for the procedure, never the procedure itself.
  bool wide = options_.unicodeWindow;
  WNDPROC own = wide ? wideHostWindowProc : hostWindowProc;
  auto procedure = reinterpret_cast<WNDPROC>(wide ? GetWindowLongPtrW(window_, GWLP_WNDPROC)
                                                  : GetWindowLongPtrA(window_, GWLP_WNDPROC));
  bool restored = procedure == own;
  log_.line(std::string("wndproc restored: ") + (restored ? "yes" : "no"));
  HMODULE owner = nullptr;
  if (!restored &&
      !GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCSTR>(procedure), &owner)) {
    // The window's procedure is in unloaded code: closing the window would
    // crash. That was logged above; the host takes its window back to end.
    if (wide) {
      SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
    } else {
      SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
    }
    log_.line("wndproc reset by host: the procedure's module is gone");
  }
  log_.line("requests isplaying=" + std::to_string(isPlayingRequests_) +
            " listpos=" + std::to_string(listPosRequests_) +
            " playlistfile=" + std::to_string(playlistFileRequests_) +
            " playlistfilew=" + std::to_string(widePlaylistFileRequests_) +
            " playlisttitlew=" + std::to_string(widePlaylistTitleRequests_) +
            " inidir=" + std::to_string(iniDirectoryRequests_) +
            " inidirw=" + std::to_string(wideIniDirectoryRequests_) + " other=" + std::to_string(otherRequests_));
  // Apart, so that the line above reads as it always did.
  log_.line("requests playlisttitle=" + std::to_string(playlistTitleRequests_) +
            " scroll-retitles=" + std::to_string(scrollRetitles_));
  DestroyWindow(window_);
  // The most memory the process ever held, for runs where a peer tries to
  // make a plug-in hold more and more. (Wine reports no peak of private
  // memory; the working set's it does.)
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof(memory);
  if (K32GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory)))
    log_.line("memory peak_working_set_kb=" + std::to_string(memory.PeakWorkingSetSize / 1024));
  log_.line("exit " + std::to_string(exitCode_));
  return exitCode_;
}

}  // namespace standin
