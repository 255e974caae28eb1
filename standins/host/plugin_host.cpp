#include "plugin_host.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>

#include "playlist.h"

#if defined(__i386__)
// On the 32-bit player every function of a plug-in is cdecl and takes no
// argument, so it must return with the stack pointer where it was. One built
// with another convention (a stdcall function that removes arguments it was
// never given) returns with it elsewhere, and the player would go on with its
// own frame misplaced. This routine calls `function`, stores what it
// answered in EAX and answers how many bytes the call moved the stack
// pointer; its own frame is restored from EBP whatever the call did.
extern "C" long callMeasuringStack(void (*function)(), std::uintptr_t* answer) asm("standin_call_measuring_stack");
asm(R"(
  .text
  .p2align 4
  .globl standin_call_measuring_stack
standin_call_measuring_stack:
  pushl %ebp
  movl %esp, %ebp
  pushl %ebx
  pushl %esi
  pushl %edi
  subl $16, %esp
  andl $-16, %esp
  call *8(%ebp)
  leal -28(%ebp), %ecx
  andl $-16, %ecx
  movl %esp, %edx
  subl %ecx, %edx
  leal -12(%ebp), %esp
  movl 12(%ebp), %ecx
  movl %eax, (%ecx)
  movl %edx, %eax
  popl %edi
  popl %esi
  popl %ebx
  popl %ebp
  ret
)");
#endif

namespace standin {

namespace {

constexpr int kExitStackFault = 5;

// Calls one of a plug-in's functions (`what`: the export, init, config or
// quit). On the 32-bit player a call that moved the stack pointer is logged
// and ends the run: the plug-in's frames may be damaged, so nothing it does
// after that is worth observing.
template <typename Result>
Result callPlugin(HostLog& log, const std::string& fileName, const char* what, Result(__cdecl* function)()) {
#if defined(__i386__)
  std::uintptr_t answer = 0;
  long moved = callMeasuringStack(reinterpret_cast<void (*)()>(function), &answer);
  if (moved != 0) {
    log.line("stack-fault " + fileName + " " + what + ": the stack pointer came back " +
             std::to_string(moved < 0 ? -moved : moved) + " bytes " + (moved > 0 ? "higher" : "lower"));
    TerminateProcess(GetCurrentProcess(), kExitStackFault);
  }
  if constexpr (std::is_void_v<Result>)
    return;
  else if constexpr (std::is_pointer_v<Result>)
    return reinterpret_cast<Result>(answer);
  else
    return static_cast<Result>(answer);
#else
  (void)log, (void)fileName, (void)what;
  return function();
#endif
}

bool isLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

bool startsWithNoCase(const std::string& text, const char* prefix) {
  std::size_t n = std::char_traits<char>::length(prefix);
  return text.size() >= n && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.c_str(),
                                            static_cast<int>(n), prefix,
                                            static_cast<int>(n)) == CSTR_EQUAL;
}

bool endsWithNoCase(const std::string& text, const char* suffix) {
  std::size_t n = std::char_traits<char>::length(suffix);
  return text.size() >= n &&
         CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.c_str() + text.size() - n,
                        static_cast<int>(n), suffix, static_cast<int>(n)) == CSTR_EQUAL;
}

// File names of Plugins\gen_*.dll in name order. The wildcard also matches
// short 8.3 names, so each long name is checked again.
std::vector<std::string> findPluginFiles(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\gen_*.dll").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = found.cFileName;
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && startsWithNoCase(name, "gen_") &&
        endsWithNoCase(name, ".dll"))
      names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

std::string executableFolder() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return folderOf(path, isLeadByte);
}

void PluginHost::loadAll(const std::string& pluginFolder, HWND mainWindow,
                         bool unloadOnInitFailure) {
  log_.line("plugins " + pluginFolder);
  for (const std::string& name : findPluginFiles(pluginFolder)) {
    LoadedPlugin plugin;
    plugin.fileName = name;
    plugin.path = pluginFolder + "\\" + name;
    plugin.module = OwnedModule(LoadLibraryA(plugin.path.c_str()));
    if (!plugin.module) {
      log_.line("skipped " + name + " LoadLibrary failed, error " +
                std::to_string(GetLastError()));
      continue;
    }
    auto get = reinterpret_cast<GetGeneralPurposePlugin>(
        reinterpret_cast<void*>(GetProcAddress(plugin.module.get(), kPluginExport)));
    if (!get) {
      log_.line("skipped " + name + " no export " + kPluginExport);
      continue;
    }
    plugin.descriptor = callPlugin(log_, name, kPluginExport, get);
    if (!plugin.descriptor) {
      log_.line("skipped " + name + " export answered null");
      continue;
    }
    const char* description = plugin.descriptor->description;
    log_.line("loaded " + name + " version=" + hex(static_cast<unsigned>(plugin.descriptor->version)) +
              " description=" + (description ? description : "(null)"));
    plugin.descriptor->hwndParent = mainWindow;
    plugin.descriptor->hDllInstance = plugin.module.get();
    int answer = 0;
    if (plugin.descriptor->init) {
      log_.line("init " + name + " called");
      answer = callPlugin(log_, name, "init", plugin.descriptor->init);
    }
    log_.line("init " + name + " answer=" + std::to_string(answer));
    plugins_.push_back(std::move(plugin));
    if (answer != 0 && unloadOnInitFailure) {
      unload(plugins_.back(), "init failed");
      plugins_.pop_back();
    }
  }
  log_.line("plugins loaded=" + std::to_string(plugins_.size()));
}

bool PluginHost::configure(const std::string& onlyFileName) {
  bool any = false;
  for (LoadedPlugin& plugin : plugins_) {
    if (!onlyFileName.empty() &&
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, plugin.fileName.c_str(), -1,
                       onlyFileName.c_str(), -1) != CSTR_EQUAL)
      continue;
    any = true;
    if (!plugin.descriptor->config) {
      log_.line("config " + plugin.fileName + " has no callback");
      continue;
    }
    log_.line("config " + plugin.fileName + " called");
    callPlugin(log_, plugin.fileName, "config", plugin.descriptor->config);
    log_.line("config " + plugin.fileName + " returned");
  }
  return any;
}

void PluginHost::initAgain() {
  for (LoadedPlugin& plugin : plugins_) {
    auto get = reinterpret_cast<GetGeneralPurposePlugin>(
        reinterpret_cast<void*>(GetProcAddress(plugin.module.get(), kPluginExport)));
    auto* again = get ? callPlugin(log_, plugin.fileName, kPluginExport, get) : nullptr;
    if (again != plugin.descriptor) log_.line("error " + plugin.fileName + " export answered another descriptor");
    if (!plugin.descriptor->init) continue;
    log_.line("init " + plugin.fileName + " called again");
    const int answer = callPlugin(log_, plugin.fileName, "init", plugin.descriptor->init);
    log_.line("init " + plugin.fileName + " answer=" + std::to_string(answer));
  }
}

void PluginHost::quitAndUnloadAll() {
  for (auto it = plugins_.rbegin(); it != plugins_.rend(); ++it) {
    if (!it->descriptor->quit) continue;
    log_.line("quit " + it->fileName + " called");
    callPlugin(log_, it->fileName, "quit", it->descriptor->quit);
    log_.line("quit " + it->fileName + " returned");
  }
  while (!plugins_.empty()) {
    unload(plugins_.back(), nullptr);
    plugins_.pop_back();
  }
}

void PluginHost::unload(LoadedPlugin& plugin, const char* why) {
  plugin.module.reset();
  // A plug-in may have pinned itself so that its code outlives FreeLibrary.
  bool stillMapped = GetModuleHandleA(plugin.path.c_str()) != nullptr;
  log_.line("unloaded " + plugin.fileName + " still-mapped=" + (stillMapped ? "yes" : "no") +
            (why ? std::string(" (") + why + ")" : std::string()));
}

}  // namespace standin
