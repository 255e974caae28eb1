// The plug-in's own thread: everything a track change needs after the host's
// answers (the tags, the template, the text into the encoder, the caption
// file, the text for OBS), one track at a time, so that the player's thread
// never waits for a file, a disk or another program. Between tracks it
// serves the outputs beside the encoder when they are due.
#pragma once

#include <chrono>
#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include <vector>

#include "caption/caption_state.h"
#include "caption/output.h"
#include "pipeline/encoder_link.h"
#include "pipeline/tag_reader.h"
#include "pipeline/template_renderer.h"
#include "pipeline/title_change_handler.h"
#include "rules/rules_in_force.h"

namespace tavrik {

class TrackThread {
 public:
  using Clock = std::chrono::steady_clock;
  // How long quit lets the encoder and the outputs take the text of a track
  // change that came just before it, in all: work running or waiting then
  // is given up.
  static constexpr std::chrono::seconds kTimeAtQuit{2};
  // What quit keeps of its time for the thread to come back from its last
  // message before it is given up: sends end this much before the deadline.
  static constexpr std::chrono::milliseconds kWrapUp{100};

  // The tag library is called from this thread only, once it has started.
  // Each track is rendered with the rules that were in force when it started.
  // The outputs beside the encoder, each served when due, in this order:
  // what others take from goes first (the cover's picture before what
  // shows it, its file before the OBS source told to load it).
  using Outputs = std::vector<Output*>;

  TrackThread(TagReader& tags, const RulesInForce& rules, const TemplateRenderer& renderer, EncoderLink& encoder,
              CaptionState& caption, Outputs outputs)
      : tags_(tags), rules_(rules), renderer_(renderer), encoder_(encoder), caption_(caption),
        outputs_(std::move(outputs)) {}
  // A thread that finish() did not end is ended here.
  ~TrackThread();
  TrackThread(const TrackThread&) = delete;
  TrackThread& operator=(const TrackThread&) = delete;

  // Starts the thread (once); std::system_error when it cannot be made.
  void start();

  // From the player's thread, which waits for nothing but a short lock.
  // Newest wins: a track that has not started is replaced by a newer one,
  // and one whose tags were still being read when a newer one came is not
  // rendered, so an older track's text never follows a newer one's. The
  // player's state goes to the caption. Ignored before start() and once
  // finish() has begun.
  void take(const TitleChange& change);

  // From any thread: the caption's settings changed.
  void wake();

  // Quit: takes no new track, lets the waiting and the running one, and
  // output work due meanwhile, finish until kWrapUp before `deadline` (no
  // message to the encoder waits past that), then drops the rest; OBS gets
  // its last text and its connection closes by `deadline` too. True when the
  // thread has ended by `deadline`; false when it was still inside a call it
  // cannot leave (a tag load from a share that does not answer): it is then
  // left to end by itself, and everything it uses must stay in place for
  // the rest of the process.
  bool finish(Clock::time_point deadline = Clock::now() + kTimeAtQuit);

 private:
  void run();
  // Waits for the next thing to do; false when the thread is to end.
  bool waitForWork(std::unique_lock<std::mutex>& lock);
  void handle(const TrackRequest& track);
  // A newer track waits, or quit's time is up: the running one goes no further.
  bool superseded();
  // When the outputs beside the encoder have something to do next.
  std::optional<Clock::time_point> outputsDueAt();
  void serveOutputs(Clock::time_point now);

  TagReader& tags_;
  const RulesInForce& rules_;
  const TemplateRenderer& renderer_;
  EncoderLink& encoder_;
  CaptionState& caption_;
  Outputs outputs_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<TrackRequest> waiting_;
  bool open_ = false;         // tracks are taken: from start() until finish()
  bool running_ = false;      // the thread exists and has not ended its loop
  unsigned long events_ = 0;  // counts every hand-over, wake and finish
  Clock::time_point workUntil_ = Clock::time_point::max();
  bool past_ = false;  // quit's time for work is over: nothing new starts
  std::thread thread_;
};

}  // namespace tavrik
