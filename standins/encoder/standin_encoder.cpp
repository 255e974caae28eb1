// A stand-in for Windows Media Encoder: a main window holding the docked
// window path down to the Script panel and its six controls. It logs every
// message another program sends to its child windows, one line each, so that
// tests can check what arrived, in which order, byte for byte. Options build
// broken layouts and an encoder that is slow or stops answering.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <map>
#include <string>

namespace {

struct Options {
  std::wstring logPath;
  int exitAfterSeconds = 0;  // 0: until closed
  int missingLevel = 0;      // 2 to 5: that window is left out
  int controls = 6;          // how many controls the panel holds
  int hangSeconds = 0;
  int hangOn = 1;  // the logged message on which the UI thread stops answering
  int slowMs = 0;  // every logged message is answered this much later
  // The controls are subclassed as Unicode windows, and a text is logged as
  // the UTF-16 it arrived as.
  bool wide = false;
  bool stamp = false;  // a "done" line with the time after each logged message
};

Options options;
HANDLE logFile = INVALID_HANDLE_VALUE;

// Each line goes straight to the file, so a test that reads it while we run
// sees every message as soon as it has arrived.
void writeLine(const std::string& line) {
  std::string bytes = line + "\n";
  DWORD written = 0;
  WriteFile(logFile, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::string hex(unsigned long long value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%llx", value);
  return buffer;
}

std::string hexBytes(const char* text) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    out += digits[*p >> 4];
    out += digits[*p & 15];
  }
  return out;
}

// Each UTF-16 unit as four lowercase hex digits.
std::string hexUnits(const wchar_t* text) {
  std::string out;
  for (; *text; ++text) {
    char unit[8];
    std::snprintf(unit, sizeof unit, "%04x", static_cast<unsigned>(*text));
    out += unit;
  }
  return out;
}

struct Logged {
  WNDPROC previous;
  std::string label;
};
std::map<HWND, Logged> loggedWindows;
int depth = 0;  // > 0 while a logged window handles a message
int messagesLogged = 0;

std::string textField(LPARAM lParam) {
  if (!lParam) return options.wide ? "wide:null" : "text:null";
  if (options.wide) return "wide:" + hexUnits(reinterpret_cast<const wchar_t*>(lParam));
  return "text:" + hexBytes(reinterpret_cast<const char*>(lParam));
}

// QueryPerformanceCounter in microseconds: the same clock in every process,
// so benchmarks can set it against the sender's own readings.
std::string performanceMicroseconds() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return std::to_string(
      static_cast<long long>(static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart)));
}

// Subclassed as an ANSI procedure, a WM_SETTEXT arrives as bytes in the ANSI
// code page, as the plug-in sent them; with --wide, as a Unicode procedure,
// it arrives as UTF-16.
LRESULT CALLBACK loggingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const Logged& logged = loggedWindows.at(window);
  // Only messages from other threads at the outermost level: what the
  // controls send themselves and each other while they handle one is theirs.
  const bool fromOutside = depth == 0 && InSendMessage();
  if (fromOutside) {
    std::string line = logged.label;
    char head[16];
    std::snprintf(head, sizeof head, " %04x ", message);
    line += head;
    line += hex(static_cast<ULONG_PTR>(wParam)) + " ";
    if (message == WM_SETTEXT) {
      line += textField(lParam);
    } else {
      line += hex(static_cast<ULONG_PTR>(lParam));
    }
    writeLine(line);
    ++messagesLogged;
    if (options.hangSeconds > 0 && messagesLogged == options.hangOn) {
      writeLine("hang " + std::to_string(options.hangSeconds));
      Sleep(static_cast<DWORD>(options.hangSeconds) * 1000);
      writeLine("resumed");
    }
    if (options.slowMs > 0) Sleep(static_cast<DWORD>(options.slowMs));
  }
  ++depth;
  LRESULT result = options.wide ? CallWindowProcW(logged.previous, window, message, wParam, lParam)
                                : CallWindowProcA(logged.previous, window, message, wParam, lParam);
  --depth;
  if (fromOutside && options.stamp) writeLine("done " + performanceMicroseconds());
  return result;
}

HINSTANCE instance;
HWND lastScript;  // shows the text of the last Insert click
HWND scriptEdit;

HWND makeChild(HWND parent, const wchar_t* className, const wchar_t* name, const char* label,
               DWORD style, int id, int x, int y, int width, int height) {
  HWND window = CreateWindowExW(0, className, name, WS_CHILD | WS_VISIBLE | style, x, y, width,
                                height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                instance, nullptr);
  if (!window) return nullptr;
  // Children in the order they were made, as the encoder's dock has them.
  SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (label) {
    // Known before the first message can reach the logging procedure.
    auto logging = reinterpret_cast<LONG_PTR>(&loggingProcedure);
    if (options.wide) {
      loggedWindows[window] = {reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)), label};
      SetWindowLongPtrW(window, GWLP_WNDPROC, logging);
    } else {
      loggedWindows[window] = {reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)), label};
      SetWindowLongPtrA(window, GWLP_WNDPROC, logging);
    }
  }
  return window;
}

// Button, label, type list, label, script text, Insert button: c1 to c6.
void makeControls(HWND panel, int count, const std::string& prefix) {
  struct Control {
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    int x, width;
  };
  static const Control kinds[] = {
      {L"BUTTON", L"Reset", BS_PUSHBUTTON, 4, 50},
      {L"STATIC", L"Type:", 0, 58, 40},
      {L"COMBOBOX", L"", CBS_DROPDOWNLIST, 100, 80},
      {L"STATIC", L"Script:", 0, 184, 56},
      {L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL, 242, 296},
      {L"BUTTON", L"Insert", BS_PUSHBUTTON, 542, 60},
  };
  for (int i = 0; i < count && i < 6; ++i) {
    std::string label = prefix + std::to_string(i + 1);
    HWND control = makeChild(panel, kinds[i].className, kinds[i].text, label.c_str(),
                             kinds[i].style, i + 1, kinds[i].x, 4, kinds[i].width, 22);
    if (prefix == "c" && i == 4) scriptEdit = control;
  }
}

LRESULT CALLBACK panelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == 6 && scriptEdit &&
      lastScript) {
    wchar_t text[4096] = {};
    GetWindowTextW(scriptEdit, text, 4096);
    SetWindowTextW(lastScript, text);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK mainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool registerClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  return RegisterClassW(&wc) != 0;
}

// The dock as the encoder has it, with a Video pane before the Script pane
// and a window beside the panel: a search that took a wrong turn would land
// on a logged window. A missing level is left out and what it held is docked
// in its parent instead.
HWND buildEncoder() {
  const wchar_t* kPanelClass = L"StandinScriptPanel";
  if (!registerClass(L"MS Windows Media Encoder", mainProcedure) ||
      !registerClass(L"Titan:CScrollWindow", DefWindowProcW) ||
      !registerClass(L"Titan:CAlignWindow", DefWindowProcW) ||
      !registerClass(kPanelClass, panelProcedure)) {
    return nullptr;
  }
  HWND main = CreateWindowExW(0, L"MS Windows Media Encoder", L"Windows Media Encoder (stand-in)",
                              WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640, 300, nullptr,
                              nullptr, instance, nullptr);
  if (!main) return nullptr;
  // SS_NOPREFIX: an "&" in the markup is text, not a mnemonic.
  lastScript = makeChild(main, L"STATIC", L"", nullptr, SS_NOPREFIX, 100, 4, 4, 620, 20);
  auto level = [](int number, HWND parent, const wchar_t* className, const wchar_t* name,
                  const char* label, int y) {
    if (options.missingLevel == number) return parent;
    return makeChild(parent, className, name, label, 0, 0, 0, y, 630, 240 - y);
  };
  HWND scroll = level(2, main, L"Titan:CScrollWindow", L"ScrollDockHolder", "scroll", 28);
  HWND dock = level(3, scroll, L"Titan:CAlignWindow", L"MainDock", "dock", 0);
  // "ビデオ"
  HWND video = makeChild(dock, L"Titan:CAlignWindow", L"\u30d3\u30c7\u30aa", "video", 0, 0, 0, 0,
                         630, 40);
  makeControls(makeChild(video, kPanelClass, L"", "video-panel", 0, 0, 0, 0, 630, 32), 6, "v");
  // "スクリプト", named in UTF-16: an ANSI search finds it by its code page 932 bytes.
  HWND script = level(4, dock, L"Titan:CAlignWindow", L"\u30b9\u30af\u30ea\u30d7\u30c8", "script", 44);
  HWND panel = level(5, script, kPanelClass, L"", "panel", 0);
  makeControls(panel, options.controls, "c");
  makeChild(script, L"BUTTON", L"beside", "beside", BS_PUSHBUTTON, 0, 4, 40, 60, 22);
  if (options.exitAfterSeconds > 0) {
    SetTimer(main, 1, static_cast<UINT>(options.exitAfterSeconds) * 1000, nullptr);
  }
  ShowWindow(main, SW_SHOWNOACTIVATE);
  return main;
}

bool parse(int argc, wchar_t** argv) {
  for (int i = 1; i < argc; ++i) {
    std::wstring name = argv[i];
    if (name == L"--wide") {
      options.wide = true;
      continue;
    }
    if (i + 1 >= argc) return false;
    std::wstring value = argv[++i];
    int number = static_cast<int>(std::wcstol(value.c_str(), nullptr, 10));
    if (name == L"--log") {
      options.logPath = value;
    } else if (name == L"--exit-after") {
      options.exitAfterSeconds = number;
    } else if (name == L"--missing-level" && number >= 2 && number <= 5) {
      options.missingLevel = number;
    } else if (name == L"--controls" && number >= 0 && number <= 6) {
      options.controls = number;
    } else if (name == L"--hang") {
      options.hangSeconds = number;
    } else if (name == L"--hang-on" && number >= 1) {
      options.hangOn = number;
    } else if (name == L"--slow") {
      options.slowMs = number;
    } else if (name == L"--stamp" && value == L"on") {
      options.stamp = true;
    } else {
      return false;
    }
  }
  return !options.logPath.empty();
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
  instance = hInstance;
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  bool understood = argv && parse(argc, argv);
  LocalFree(argv);
  if (!understood) return 2;
  // Readers may open the log while we write it.
  logFile = CreateFileW(options.logPath.c_str(), GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (logFile == INVALID_HANDLE_VALUE) return 3;
  if (!buildEncoder()) {
    CloseHandle(logFile);
    return 4;
  }
  writeLine("ready");
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  CloseHandle(logFile);
  return 0;
}
