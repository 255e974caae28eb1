#include "script_runner.h"

#include "player.h"

namespace standin {

std::optional<unsigned long> ScriptRunner::runNextStep(Player& player) {
  if (next_ >= steps_.size()) {
    log_.line("script done");
    return std::nullopt;
  }
  Step step = steps_[next_++];
  unsigned long delayMs = 0;
  try {
    run(step, player, delayMs);
  } catch (...) {
    log_.line("error step " + step.text + " failed");
  }
  return delayMs;
}

void ScriptRunner::run(const Step& step, Player& player, unsigned long& delayMs) {
  log_.line("step " + step.text);
  switch (step.kind) {
    case StepKind::PlayAll: {
      auto more = expandPlayAll(player.entryCount(), intervalMs_);
      steps_.insert(steps_.begin() + static_cast<std::ptrdiff_t>(next_), more.begin(), more.end());
      break;
    }
    case StepKind::PlayIndex:
      player.playEntry(step.number);
      break;
    case StepKind::Pause:
      player.togglePause();
      break;
    case StepKind::Stop:
      player.stop();
      break;
    case StepKind::Refresh:
      player.refresh();
      break;
    case StepKind::Repeat:
      player.repeat();
      break;
    case StepKind::Song:
      player.songChange(step.name);
      break;
    case StepKind::Config:
      if (!player.configure(step.name)) log_.line("error no plug-in to configure");
      break;
    case StepKind::InitAgain:
      player.initAgain();
      break;
    case StepKind::Wait:
      delayMs = step.number;
      break;
    case StepKind::BenchTracks:
      player.benchTrackChanges(step.number);
      break;
    case StepKind::Bench:
      player.benchRetitles(step.number);
      break;
    case StepKind::BenchLatency:
      player.benchLatency(step.number, intervalMs_);
      break;
    case StepKind::Exit:
      player.closeAfterThisStep();
      break;
  }
}

}  // namespace standin
