// gen_probe.dll: a general-purpose plug-in that records what its player does
// to it, for the player's tests. Each line goes to the file named by
// GEN_PROBE_LOG, opened and closed per line, headed by this DLL's file name
// (so that copies under other names tell themselves apart).
//   GEN_PROBE_INIT_ANSWER  init's answer (default 0); on failure no hook is set
//   GEN_PROBE_INIT_BOX=1   init shows a message box "probe init" first
//   GEN_PROBE_AT_QUIT      "restore" (default): quit puts the former window
//                          procedure back when its own is on top;
//                          "keep-pinned": quit pins this DLL and keeps its hook;
//                          "keep": quit keeps its hook, and the DLL is unloaded
//   GEN_PROBE_INIT_CONVENTION=stdcall  init is a stdcall function taking one
//                          argument, as a plug-in built with the wrong
//                          declaration has: it removes 4 bytes it was never given
//   GEN_PROBE_REQUESTS_ONLY=1  a retitle asks the player its two requests
//                          (125, then 214) and records nothing: the least a
//                          plug-in that follows the track must do, for the
//                          benchmarks
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "../gen_interface.h"

namespace {

using standin::GeneralPurposePlugin;
using standin::kIpcGetListPos;
using standin::kIpcGetPlaylistFile;


HINSTANCE self = nullptr;
WNDPROC previous = nullptr;

int __cdecl init();
void __cdecl config();
void __cdecl quit();

GeneralPurposePlugin descriptor = {0x10, "Probe plug-in (gen_probe.dll)", init, config, quit,
                                   nullptr, nullptr};

std::string environment(const char* name) {
  char value[1024];
  DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

std::string ownFileName() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(self, path, sizeof path);
  std::string text = path;
  auto slash = text.find_last_of('\\');
  return slash == std::string::npos ? text : text.substr(slash + 1);
}

void note(const std::string& event) {
  std::string path = environment("GEN_PROBE_LOG");
  if (path.empty()) return;
  HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::string line = ownFileName() + " " + event + "\r\n";
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

std::string hex(UINT_PTR value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

// The host's answer to request 211, as text ("null" for no answer).
std::string playlistFile(WPARAM index) {
  auto answer = reinterpret_cast<const char*>(
      SendMessageA(descriptor.hwndParent, WM_USER, index, kIpcGetPlaylistFile));
  return answer ? std::string(answer) : std::string("null");
}

LRESULT listPosition() {
  return SendMessageA(descriptor.hwndParent, WM_USER, 0, kIpcGetListPos);
}

bool requestsOnly = false;

LRESULT CALLBACK probeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT && requestsOnly) {
    LRESULT position = listPosition();
    SendMessageA(descriptor.hwndParent, WM_USER, static_cast<WPARAM>(position), standin::kIpcGetPlaylistFileW);
  } else if (message == WM_SETTEXT) {
    try {
      LRESULT position = listPosition();
      note("settext pos=" + std::to_string(position) +
           " path=" + playlistFile(static_cast<WPARAM>(position)) +
           " text=" + (lParam ? reinterpret_cast<const char*>(lParam) : "null"));
    } catch (...) {
    }
  }
  return CallWindowProcA(previous, window, message, wParam, lParam);
}

int __cdecl init() {
  try {
    requestsOnly = environment("GEN_PROBE_REQUESTS_ONLY") == "1";
    HWND host = descriptor.hwndParent;
    char className[64] = {};
    GetClassNameA(host, className, sizeof className);
    DWORD thread = GetWindowThreadProcessId(host, nullptr);
    note("init hwnd=" + hex(reinterpret_cast<UINT_PTR>(host)) + " class=" + className +
         " instance=" + (descriptor.hDllInstance == self ? "self" : "other") +
         " thread=" + (thread == GetCurrentThreadId() ? "same" : "other"));

    if (environment("GEN_PROBE_INIT_BOX") == "1") {
      note("init box");
      MessageBoxA(host, "probe init", "gen_probe", MB_OK);
    }
    note("listpos " + std::to_string(listPosition()));
    WPARAM count = 0;
    for (; count < 1000; ++count) {
      std::string path = playlistFile(count);
      if (path == "null") break;
      note("entry " + std::to_string(count) + " " + path);
    }
    note("entries " + std::to_string(count));
    note("beyond " + playlistFile(count) + " negative " + playlistFile(static_cast<WPARAM>(-1)));

    std::string wanted = environment("GEN_PROBE_INIT_ANSWER");
    int answer = wanted.empty() ? 0 : std::atoi(wanted.c_str());
    if (answer == 0) {
      previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
          host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&probeWindowProc)));
      note("hooked");
    }
    note("init answer " + std::to_string(answer));
    return answer;
  } catch (...) {
    return -1;
  }
}

// The player pushes nothing; this removes 4 bytes all the same.
int __stdcall initWithWrongConvention(int) { return init(); }

void __cdecl config() {
  note("config begin");
  // A modal loop on the player's thread, closed by the test from outside.
  int result = MessageBoxA(descriptor.hwndParent, "probe config", "gen_probe", MB_OK);
  note("config end " + std::to_string(result));
}

void __cdecl quit() {
  try {
    HWND host = descriptor.hwndParent;
    auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(host, GWLP_WNDPROC));
    std::string atQuit = environment("GEN_PROBE_AT_QUIT");
    if (!previous) {
      note("quit no-hook");
    } else if (atQuit == "keep-pinned") {
      HMODULE pinned = nullptr;
      GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                         reinterpret_cast<LPCSTR>(&probeWindowProc), &pinned);
      note("quit kept-hook pinned");
    } else if (atQuit == "keep") {
      note("quit kept-hook");
    } else if (current == &probeWindowProc) {
      SetWindowLongPtrA(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      note("quit restored");
    } else {
      note("quit not-restored");
    }
  } catch (...) {
  }
}

}  // namespace

extern "C" GeneralPurposePlugin* __cdecl winampGetGeneralPurposePlugin() {
  note("export");
  if (environment("GEN_PROBE_INIT_CONVENTION") == "stdcall")
    descriptor.init = reinterpret_cast<int(__cdecl*)()>(reinterpret_cast<void (*)()>(&initWithWrongConvention));
  return &descriptor;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    self = instance;
    DisableThreadLibraryCalls(instance);
    note("attach");
  } else if (reason == DLL_PROCESS_DETACH) {
    // reserved is null when FreeLibrary unloads us, not at process exit.
    note(reserved ? "detach process-exit" : "detach unload");
  }
  return TRUE;
}
