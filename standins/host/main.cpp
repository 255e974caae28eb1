// standin_host.exe: a small player that stands in for Winamp. It loads the
// general-purpose plug-ins beside it, answers their playlist requests and
// retitles its main window as a script from its command line says.
#include <windows.h>

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "gen_interface.h"
#include "host_log.h"
#include "host_script.h"
#include "owners.h"
#include "playlist.h"
#include "plugin_host.h"

namespace standin {
namespace {

constexpr char kWindowClass[] = "Winamp v1.x";
constexpr UINT_PTR kScriptTimer = 1;
constexpr int kExitBadCommandLine = 2;
constexpr int kExitSafety = 3;
constexpr int kExitCrash = 4;

bool isLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class Player {
 public:
  Player(HostOptions options, HostLog& log)
      : options_(std::move(options)), log_(log), plugins_(log), steps_(options_.steps) {}

  bool createWindow(HINSTANCE instance);
  bool loadPlaylist();
  // A plug-in's init may show a modal box: a close meanwhile waits for it.
  void loadPlugins() {
    busy_ = true;
    plugins_.loadAll(executableFolder() + "\\Plugins", window_, options_.unloadOnInitFailure);
    busy_ = false;
  }
  void startScript() {
    if (closeRequested_)
      leave();
    else
      schedule(0);
  }

  LRESULT answerRequest(WPARAM wParam, LPARAM lParam);
  void onTimer();
  void requestClose(const char* why);
  // After the message loop: quit and unload the plug-ins, close the window.
  int finish();
  void setExitCode(int code) { exitCode_ = code; }

 private:
  void schedule(unsigned long delayMs);
  void runStep(const Step& step, unsigned long& delayMs);
  void playEntry(unsigned long index);
  void retitle();
  void bench(unsigned long count);
  void benchTracks(unsigned long count);
  void leave();

  HostOptions options_;
  HostLog& log_;
  PluginHost plugins_;
  HWND window_ = nullptr;
  std::vector<std::string> entries_;
  std::size_t current_ = 0;
  bool paused_ = false;
  std::vector<Step> steps_;
  std::size_t nextStep_ = 0;
  // A step may run a modal loop (a plug-in's dialog) that dispatches this
  // window's messages: no other step and no shutdown may run inside it.
  bool busy_ = false;
  bool closeRequested_ = false;
  bool leaving_ = false;
  int exitCode_ = 0;
  unsigned long listPosRequests_ = 0, playlistFileRequests_ = 0, otherRequests_ = 0;
};

Player* player = nullptr;
HostLog* hostLog = nullptr;

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
  ShowWindow(window_, SW_SHOWNOACTIVATE);
  log_.line("window " + hex(reinterpret_cast<UINT_PTR>(window_)) + " class=" + kWindowClass);
  return true;
}

bool Player::loadPlaylist() {
  if (options_.playlist.empty()) {
    log_.line("playlist none entries=0");
    return true;
  }
  char full[MAX_PATH * 2];
  DWORD length = GetFullPathNameA(options_.playlist.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) {
    log_.line("error playlist path " + options_.playlist);
    return false;
  }
  OwnedFile file(CreateFileA(full, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    log_.line("error cannot open playlist " + std::string(full));
    return false;
  }
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  entries_ = parseM3u(bytes, folderOf(full, isLeadByte));
  log_.line("playlist " + std::string(full) + " entries=" + std::to_string(entries_.size()));
  for (std::size_t i = 0; i < entries_.size(); ++i)
    log_.line("entry " + std::to_string(i) + " " + entries_[i]);
  return true;
}

LRESULT Player::answerRequest(WPARAM wParam, LPARAM lParam) {
  if (lParam == kIpcGetListPos) {
    ++listPosRequests_;
    return static_cast<LRESULT>(current_);
  }
  if (lParam == kIpcGetPlaylistFile) {
    ++playlistFileRequests_;
    // The text stays ours and unchanged while the playlist does.
    return wParam < entries_.size() ? reinterpret_cast<LRESULT>(entries_[wParam].c_str()) : 0;
  }
  ++otherRequests_;
  return 0;
}

void Player::schedule(unsigned long delayMs) {
  SetTimer(window_, kScriptTimer, delayMs < USER_TIMER_MINIMUM ? USER_TIMER_MINIMUM : delayMs,
           nullptr);
}

void Player::onTimer() {
  KillTimer(window_, kScriptTimer);
  if (busy_ || leaving_) return;
  if (nextStep_ >= steps_.size()) {
    log_.line("script done");
    return;
  }
  Step step = steps_[nextStep_++];
  unsigned long delayMs = 0;
  busy_ = true;
  try {
    runStep(step, delayMs);
  } catch (...) {
    log_.line("error step " + step.text + " failed");
  }
  busy_ = false;
  if (closeRequested_) {
    leave();
    return;
  }
  schedule(delayMs);
}

void Player::runStep(const Step& step, unsigned long& delayMs) {
  log_.line("step " + step.text);
  switch (step.kind) {
    case StepKind::PlayAll: {
      auto more = expandPlayAll(entries_.size(), options_.intervalMs);
      steps_.insert(steps_.begin() + static_cast<std::ptrdiff_t>(nextStep_), more.begin(),
                    more.end());
      break;
    }
    case StepKind::PlayIndex:
      playEntry(step.number);
      break;
    case StepKind::Pause:
      paused_ = !paused_;
      retitle();
      break;
    case StepKind::Refresh:
      retitle();
      break;
    case StepKind::Repeat:
      paused_ = false;
      if (current_ < entries_.size())
        log_.line("repeat " + std::to_string(current_) + " " + entries_[current_]);
      retitle();
      break;
    case StepKind::Config:
      if (!plugins_.configure(step.name)) log_.line("error no plug-in to configure");
      break;
    case StepKind::Wait:
      delayMs = step.number;
      break;
    case StepKind::BenchTracks:
      benchTracks(step.number);
      break;
    case StepKind::Bench:
      bench(step.number);
      break;
    case StepKind::Exit:
      closeRequested_ = true;
      break;
  }
}

void Player::playEntry(unsigned long index) {
  if (index >= entries_.size()) {
    log_.line("error no entry " + std::to_string(index) + ", the playlist has " +
              std::to_string(entries_.size()));
    return;
  }
  current_ = index;
  paused_ = false;
  log_.line("track " + std::to_string(current_) + " " + entries_[current_]);
  retitle();
}

void Player::retitle() {
  std::string title = titleFor(entries_, current_, paused_, isLeadByte);
  log_.line("retitle " + std::to_string(current_) + " " + title);
  SetWindowTextA(window_, title.c_str());
}

void Player::bench(unsigned long count) {
  // Once untimed, so that a plug-in has seen this track before the timing.
  retitle();
  std::string title = titleFor(entries_, current_, paused_, isLeadByte);
  LARGE_INTEGER frequency, begin, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&begin);
  for (unsigned long i = 0; i < count; ++i) SetWindowTextA(window_, title.c_str());
  QueryPerformanceCounter(&end);
  double totalUs = static_cast<double>(end.QuadPart - begin.QuadPart) * 1e6 /
                   static_cast<double>(frequency.QuadPart);
  char text[160];
  std::snprintf(text, sizeof text, "bench retitles=%lu total_us=%.1f mean_us=%.3f", count,
                totalUs, totalUs / count);
  log_.line(text);
}

// Times `count` track changes, going round the playlist: each retitle of the
// window is timed from the call until it returns, that is, until everything
// a plug-in does synchronously for the new track has been done.
void Player::benchTracks(unsigned long count) {
  if (entries_.size() < 2) {
    log_.line("error bench-tracks needs two entries");
    return;
  }
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> micros;
  micros.reserve(count);
  for (unsigned long i = 0; i < count; ++i) {
    current_ = (current_ + 1) % entries_.size();
    paused_ = false;
    std::string title = titleFor(entries_, current_, paused_, isLeadByte);
    LARGE_INTEGER begin, end;
    QueryPerformanceCounter(&begin);
    SetWindowTextA(window_, title.c_str());
    QueryPerformanceCounter(&end);
    micros.push_back(static_cast<double>(end.QuadPart - begin.QuadPart) * 1e6 /
                     static_cast<double>(frequency.QuadPart));
  }
  std::sort(micros.begin(), micros.end());
  auto at = [&](double share) { return micros[static_cast<std::size_t>(share * (micros.size() - 1))]; };
  char text[200];
  std::snprintf(text, sizeof text, "bench-tracks changes=%lu median_us=%.1f p95_us=%.1f max_us=%.1f", count,
                at(0.5), at(0.95), micros.back());
  log_.line(text);
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

LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (player) {
      switch (message) {
        case WM_USER:
          return player->answerRequest(wParam, lParam);
        case WM_TIMER:
          if (wParam == kScriptTimer) {
            player->onTimer();
            return 0;
          }
          break;
        case WM_CLOSE:
          player->requestClose("WM_CLOSE");
          return 0;
        default:
          break;
      }
    }
  } catch (...) {
    if (hostLog) hostLog->line("error in window procedure");
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Ends the process after --exit-after seconds, whatever the UI thread does.
class SafetyExit {
 public:
  SafetyExit(HostLog& log, unsigned long seconds)
      : log_(log), seconds_(seconds), stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = OwnedHandle(CreateThread(nullptr, 0, run, this, 0, nullptr));
  }
  ~SafetyExit() {
    SetEvent(stop_.get());
    if (thread_) WaitForSingleObject(thread_.get(), INFINITE);
  }
  SafetyExit(const SafetyExit&) = delete;
  SafetyExit& operator=(const SafetyExit&) = delete;

 private:
  static DWORD WINAPI run(void* param) {
    auto* self = static_cast<SafetyExit*>(param);
    if (WaitForSingleObject(self->stop_.get(), self->seconds_ * 1000) == WAIT_TIMEOUT) {
      self->log_.line("safety-exit after " + std::to_string(self->seconds_) + " s");
      TerminateProcess(GetCurrentProcess(), kExitSafety);
    }
    return 0;
  }

  HostLog& log_;
  unsigned long seconds_;
  OwnedHandle stop_;
  OwnedHandle thread_;
};

LONG WINAPI onCrash(EXCEPTION_POINTERS* info) {
  if (hostLog)
    hostLog->line("crash exception=" + hex(info->ExceptionRecord->ExceptionCode) + " at " +
                  hex(reinterpret_cast<UINT_PTR>(info->ExceptionRecord->ExceptionAddress)));
  TerminateProcess(GetCurrentProcess(), kExitCrash);
  return EXCEPTION_EXECUTE_HANDLER;
}

int runHost(HINSTANCE instance, HostLog& log) {
  std::vector<std::string> args(__argv + 1, __argv + __argc);
  ParsedCommandLine parsed = parseCommandLine(args);
  if (!parsed.options.log.empty()) log.open(parsed.options.log);
  if (!parsed.error.empty()) {
    log.line("error command line: " + parsed.error);
    return kExitBadCommandLine;
  }
  SafetyExit safety(log, parsed.options.exitAfterSeconds);

  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  log.line("start " + std::string(exe) + " pid=" + std::to_string(GetCurrentProcessId()));

  auto host = std::make_unique<Player>(parsed.options, log);
  if (!host->createWindow(instance)) {
    log.line("error cannot create the main window");
    return 1;
  }
  player = host.get();
  if (!host->loadPlaylist()) {
    host->setExitCode(1);
    host->requestClose("playlist error");
  } else {
    host->loadPlugins();
    host->startScript();
  }

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  int exitCode = host->finish();
  player = nullptr;
  return exitCode;
}

}  // namespace
}  // namespace standin

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // No error box may wait for a user: this program runs unattended.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(standin::onCrash);
  int code = 1;
  standin::HostLog log;
  standin::hostLog = &log;
  try {
    code = standin::runHost(instance, log);
  } catch (...) {
    log.line("error unexpected failure");
  }
  standin::player = nullptr;
  standin::hostLog = nullptr;
  return code;
}
