#include "plugin/plugin_lifecycle.h"

namespace tavrik {

int PluginLifecycle::init() {
  operations_.installHook();
  hooked_ = true;
  // A failed step leaves the host as it found it: the hook is taken out and
  // a library that was loaded is released, since the host may unload the
  // module without calling quit.
  if (!operations_.bindTagLibrary() || !operations_.loadRules()) {
    operations_.releaseTagLibrary();
    unhook();
    return -1;
  }
  running_ = true;
  operations_.enablePipeline(true);
  return 0;
}

void PluginLifecycle::config() {
  // After a failed init there are no rules to show: editing an empty list
  // that can never be saved would only mislead.
  if (running_) operations_.runSettingsDialog();
}

void PluginLifecycle::quit() {
  operations_.enablePipeline(false);
  // The rule file is written only when it was read: after a failed init the
  // user's file stays as it is.
  if (running_) operations_.saveRules();
  operations_.releaseTagLibrary();
  running_ = false;
  unhook();
}

void PluginLifecycle::unhook() {
  if (!hooked_) return;
  hooked_ = false;
  operations_.enablePipeline(false);
  if (!operations_.removeHook()) operations_.pinModule();
}

}  // namespace tavrik
