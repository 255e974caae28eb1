// The order of init, config and quit, over the operations the shell puts
// together: the hook on the host's window, the tag library, the rule file,
// the caption file's settings, the plug-in's thread and the settings dialog.
#pragma once


namespace tavrik {

class ShellOperations {
 public:
  virtual ~ShellOperations() = default;
  virtual void installHook() = 0;
  // Stops the pipeline and gives the host's window its former procedure
  // back, or, when another module subclassed it after us, leaves the hook as
  // a pass-through in a module pinned for the rest of the process.
  virtual void unhook() = 0;
  virtual bool bindTagLibrary() = 0;
  virtual void releaseTagLibrary() = 0;
  virtual bool loadRules() = 0;
  virtual void saveRules() = 0;
  // Never fails init: the encoder does not depend on the caption file.
  virtual void loadCaptionSettings() = 0;
  virtual void saveCaptionSettings() = 0;
  // Lets the hook run the track pipeline, or makes it a pure pass-through.
  virtual void enablePipeline(bool enabled) = 0;
  // The plug-in's thread, which handles every track after the host's answers.
  virtual void startTrackThread() = 0;
  // Takes no new track, lets the running or waiting one finish within quit's
  // time, then ends the thread. False when the thread was still inside a
  // call it cannot leave (a tag load that does not return): it is left
  // running, and what it uses must stay for the rest of the process.
  virtual bool finishTrackThread() = 0;
  // The thread is left running: this module and everything it uses stay
  // loaded until the process ends.
  virtual void keepForRunningThread() = 0;
  virtual void runSettingsDialog() = 0;
};

class PluginLifecycle {
 public:
  explicit PluginLifecycle(ShellOperations& operations) : operations_(operations) {}

  // Hook, then tag library, then rules, then the caption file's settings,
  // then the plug-in's thread: 0 when the library was bound and the rules
  // loaded, else -1 after the failing step showed its message, with no
  // thread started.
  int init();
  void config();
  // False when the plug-in's thread was left running: the caller must then
  // keep everything the shell holds.
  bool quit();

 private:
  ShellOperations& operations_;
  bool running_ = false;
};

}  // namespace tavrik
