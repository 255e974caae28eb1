#include "plugin/plugin_lifecycle.h"

namespace tavrik {

int PluginLifecycle::init() {
  // A host that calls init again gets the plug-in as it runs: a second hook
  // in front of the first would call itself for ever.
  if (running_) return 0;
  operations_.installHook();
  // A failed step leaves the host as it found it: a library that was loaded
  // is released and the hook is taken out, since the host may unload the
  // module without calling quit.
  if (!operations_.bindTagLibrary() || !operations_.loadRules()) {
    operations_.releaseTagLibrary();
    operations_.unhook();
    return -1;
  }
  operations_.loadCaptionSettings();
  operations_.startTrackThread();
  running_ = true;
  operations_.enablePipeline(true);
  return 0;
}

void PluginLifecycle::config() {
  // After a failed init there are no rules to show: editing an empty list
  // that can never be saved would only mislead.
  if (running_) operations_.runSettingsDialog();
}

bool PluginLifecycle::quit() {
  // After a failed init everything was undone there, and the user's rule
  // file is not written over with rules that never came from it.
  if (!running_) return true;
  running_ = false;
  // No new track, then the last track change's text still reaches the
  // encoder, within limits; only with the thread gone is the library
  // released, and no code of ours runs after quit. The caption file's last
  // text is written by the thread before it ends. The rules are saved even
  // when the thread is stuck in a tag load: the user's edits must not wait
  // for a share that never answers.
  operations_.enablePipeline(false);
  bool ended = operations_.finishTrackThread();
  operations_.saveRules();
  operations_.saveCaptionSettings();
  if (ended) {
    operations_.releaseTagLibrary();
  } else {
    operations_.keepForRunningThread();
  }
  // Last: the hook goes before the module may be unloaded.
  operations_.unhook();
  return ended;
}

}  // namespace tavrik
