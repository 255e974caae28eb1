// The module's face toward the host: the one export, the descriptor, and the
// init, config and quit callbacks.
#include <windows.h>

#include <memory>

#include "common/file_system_win32.h"
#include "common/module_services_win32.h"
#include "pipeline/host_window_hook_win32.h"
#include "plugin/plugin_descriptor.h"
#include "rules/rule_list.h"
#include "rules/rule_store.h"

namespace tavrik {
namespace {

int __cdecl init();
void __cdecl config();
void __cdecl quit();

PluginDescriptor descriptor = {kPluginInterfaceVersion, "Tavrik plug-in (gen_tavrik.dll)",
                               init, config, quit, nullptr, nullptr};

// Process-wide state, alive from init to quit.
struct Plugin {
  explicit Plugin(HWND host) : services(host), store(files, services) {}
  Win32FileSystem files;
  Win32ModuleServices services;
  RuleStore store;
  RuleList rules;
};
std::unique_ptr<Plugin> plugin;

int __cdecl init() {
  try {
    plugin = std::make_unique<Plugin>(descriptor.hwndParent);
    installHostWindowHook(descriptor.hwndParent);
    return plugin->store.loadRules(plugin->rules) ? 0 : -1;
  } catch (...) {
    return -1;
  }
}

void __cdecl config() {}

void __cdecl quit() {
  try {
    if (!plugin) return;
    plugin->store.saveRules(plugin->rules);
    removeHostWindowHook(descriptor.hwndParent);
  } catch (...) {
  }
}

}  // namespace
}  // namespace tavrik

extern "C" tavrik::PluginDescriptor* __cdecl winampGetGeneralPurposePlugin() {
  return &tavrik::descriptor;
}
