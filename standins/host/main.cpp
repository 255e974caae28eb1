// standin_host.exe: a small player that stands in for Winamp. It loads the
// general-purpose plug-ins beside it, answers their playlist requests and
// retitles its main window as a script from its command line says.
#include <windows.h>

#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "host_log.h"
#include "host_script.h"
#include "player.h"
#include "safety_exit.h"

namespace standin {
namespace {

constexpr int kExitBadCommandLine = 2;

// The arguments after the program name as the UTF-16 command line holds
// them, in UTF-8: __argv has them in the ANSI code page only.
std::vector<std::string> utf8Arguments() {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return args;
  for (int i = 1; i < count; ++i) {
    int length = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string arg(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), length, nullptr, nullptr);
    arg.resize(arg.size() - 1);
    args.push_back(arg);
  }
  LocalFree(wide);
  return args;
}

int runHost(HINSTANCE instance, HostLog& log) {
  std::vector<std::string> args(__argv + 1, __argv + __argc);
  ParsedCommandLine parsed = parseCommandLine(args, utf8Arguments());
  if (!parsed.options.log.empty()) log.open(parsed.options.log);
  if (!parsed.error.empty()) {
    log.line("error command line: " + parsed.error);
    return kExitBadCommandLine;
  }
  SafetyExit safety(log, parsed.options.exitAfterSeconds);

  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  log.line("start " + std::string(exe) + " pid=" + std::to_string(GetCurrentProcessId()));

  auto player = std::make_unique<Player>(parsed.options, log);
  if (!player->createWindow(instance)) {
    log.line("error cannot create the main window");
    return 1;
  }
  if (!player->loadPlaylist()) {
    player->setExitCode(1);
    player->requestClose("playlist error");
  } else {
    player->loadPluginsAndStartScript();
  }

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return player->finish();
}

}  // namespace
}  // namespace standin

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // No error box may wait for a user: this program runs unattended.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  int code = 1;
  standin::HostLog log;
  standin::setCrashLog(&log);
  try {
    code = standin::runHost(instance, log);
  } catch (...) {
    log.line("error unexpected failure");
  }
  standin::setCrashLog(nullptr);
  return code;
}
