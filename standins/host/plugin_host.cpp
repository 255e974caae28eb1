#include "plugin_host.h"

#include <algorithm>

#include "playlist.h"

namespace standin {

namespace {

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
    plugin.descriptor = get();
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
      answer = plugin.descriptor->init();
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
    plugin.descriptor->config();
    log_.line("config " + plugin.fileName + " returned");
  }
  return any;
}

void PluginHost::quitAndUnloadAll() {
  for (auto it = plugins_.rbegin(); it != plugins_.rend(); ++it) {
    if (!it->descriptor->quit) continue;
    log_.line("quit " + it->fileName + " called");
    it->descriptor->quit();
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
