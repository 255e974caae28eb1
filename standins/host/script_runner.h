// The script of steps from the command line, run one step per timer tick so
// that the main window's messages go on being dispatched between steps.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "host_log.h"
#include "host_script.h"

namespace standin {

class Player;

class ScriptRunner {
 public:
  ScriptRunner(std::vector<Step> steps, unsigned long intervalMs, HostLog& log)
      : steps_(std::move(steps)), intervalMs_(intervalMs), log_(log) {}

  // Runs the next step on `player` and answers how long to wait before the
  // one after it; nothing once the script is done. A step that fails is
  // logged and the script goes on.
  std::optional<unsigned long> runNextStep(Player& player);

 private:
  void run(const Step& step, Player& player, unsigned long& delayMs);

  std::vector<Step> steps_;
  std::size_t next_ = 0;
  unsigned long intervalMs_;
  HostLog& log_;
};

}  // namespace standin
