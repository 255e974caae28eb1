// The order of init, config and quit, over the operations the shell puts
// together: the hook on the host's window, the tag library, the rule file,
// the delivery thread and the settings dialog.
#pragma once

#include <chrono>

namespace tavrik {

// How long quit lets the encoder take the text of a track change that came
// just before it, in all: a delivery running or waiting then is given up.
inline constexpr std::chrono::seconds kDeliveryTimeAtQuit{2};

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
  // Lets the hook run the track pipeline, or makes it a pure pass-through.
  virtual void enablePipeline(bool enabled) = 0;
  // The thread that delivers the texts to the encoder.
  virtual void startDelivery() = 0;
  // Takes no new text, lets the delivery running or waiting finish until
  // `deadline`, then ends the thread: no delivery goes on after it returns.
  virtual void finishDelivery(std::chrono::steady_clock::time_point deadline) = 0;
  virtual void runSettingsDialog() = 0;
};

class PluginLifecycle {
 public:
  explicit PluginLifecycle(ShellOperations& operations) : operations_(operations) {}

  // Hook, then tag library, then rules, then the delivery thread: 0 when all
  // succeeded, else -1 after the failing step showed its message, with no
  // thread started.
  int init();
  void config();
  void quit();

 private:
  ShellOperations& operations_;
  bool running_ = false;
};

}  // namespace tavrik
