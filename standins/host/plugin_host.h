// The player's general-purpose plug-ins: found as Plugins\gen_*.dll beside the
// executable, initialised with the main window, configured, quit and unloaded.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "gen_interface.h"
#include "host_log.h"
#include "owners.h"

namespace standin {

struct LoadedPlugin {
  std::string fileName;  // "gen_x.dll", as the log names it
  std::string path;
  OwnedModule module;
  GeneralPurposePlugin* descriptor = nullptr;
};

class PluginHost {
 public:
  explicit PluginHost(HostLog& log) : log_(log) {}
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // Loads and initialises each plug-in in name order. A plug-in whose init
  // fails is unloaded at once (without quit) when unloadOnInitFailure is set.
  void loadAll(const std::string& pluginFolder, HWND mainWindow, bool unloadOnInitFailure);
  // Calls config of every plug-in, or only of the one with that file name;
  // false when no plug-in of that name is loaded.
  bool configure(const std::string& onlyFileName);
  // Calls the export and init of every plug-in once more, as a host that
  // initialises a plug-in twice does.
  void initAgain();
  // Quit, then unload, newest first: plug-ins that subclassed the main window
  // unwind in the reverse order of their hooks.
  void quitAndUnloadAll();

 private:
  void unload(LoadedPlugin& plugin, const char* why);

  HostLog& log_;
  std::vector<LoadedPlugin> plugins_;
};

// The folder of this executable, from GetModuleFileNameA.
std::string executableFolder();

}  // namespace standin
