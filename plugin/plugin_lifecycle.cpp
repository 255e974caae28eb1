#include "plugin/plugin_lifecycle.h"

namespace tavrik {

int PluginLifecycle::init() {
  operations_.installHook();
  // A failed step leaves the host as it found it: a library that was loaded
  // is released and the hook is taken out, since the host may unload the
  // module without calling quit.
  if (!operations_.bindTagLibrary() || !operations_.loadRules()) {
    operations_.releaseTagLibrary();
    operations_.unhook();
    return -1;
  }
  operations_.startDelivery();
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
  // After a failed init everything was undone there, and the user's rule
  // file is not written over with rules that never came from it.
  if (!running_) return;
  running_ = false;
  // No new text, then the last track change's text still reaches the
  // encoder, within limits; only with the thread gone are the rules saved
  // and the library released, and no code of ours runs after quit.
  operations_.enablePipeline(false);
  operations_.finishDelivery(std::chrono::steady_clock::now() + kDeliveryTimeAtQuit);
  operations_.saveRules();
  operations_.releaseTagLibrary();
  // Last: the hook goes before the module may be unloaded.
  operations_.unhook();
}

}  // namespace tavrik
