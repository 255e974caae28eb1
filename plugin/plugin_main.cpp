// The module's face toward the host: the one export, the descriptor, and the
// init, config and quit callbacks. Nothing thrown may reach the host.
#include <windows.h>

#include "pipeline/host_window_win32.h"
#include "plugin/plugin_descriptor.h"
#include "plugin/plugin_lifecycle.h"
#include "plugin/plugin_shell_win32.h"

namespace tavrik {
namespace {

int __cdecl init();
void __cdecl config();
void __cdecl quit();

PluginDescriptor descriptor = {kPluginInterfaceVersion, "Tavrik plug-in (gen_tavrik.dll)",
                               init, config, quit, nullptr, nullptr};

// Made by init and ended by quit, never by a global destructor: those run
// inside the loader lock, where freeing the tag library is not allowed. A
// host that unloads without quit leaves them to the process's end.
Win32Shell* shell = nullptr;
PluginLifecycle* lifecycle = nullptr;

void endPlugin() {
  delete lifecycle;
  delete shell;
  lifecycle = nullptr;
  shell = nullptr;
}

int __cdecl init() {
  try {
    // A host that calls init again meets the one shell there is: a second
    // would hook the window again and start a second thread, and quit
    // would end only one of them.
    if (!lifecycle) {
      shell = new Win32Shell(descriptor.hwndParent);
      lifecycle = new PluginLifecycle(*shell);
    }
    return lifecycle->init();
  } catch (...) {
    // Whatever failed, no hook may be left pointing into a module the host
    // is about to unload, and nothing of ours stays loaded.
    try {
      releaseHostWindow(descriptor.hwndParent);
      endPlugin();
    } catch (...) {
    }
    return -1;
  }
}

void __cdecl config() {
  try {
    if (lifecycle) lifecycle->config();
  } catch (...) {
  }
}

void __cdecl quit() {
  try {
    if (!lifecycle) return;
    // A thread left in a call that does not return still uses the shell:
    // it stays, with this module pinned, until the process ends.
    if (lifecycle->quit()) endPlugin();
  } catch (...) {
  }
}

}  // namespace
}  // namespace tavrik

extern "C" tavrik::PluginDescriptor* __cdecl winampGetGeneralPurposePlugin() {
  return &tavrik::descriptor;
}
