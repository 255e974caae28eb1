#include "plugin/track_thread.h"

namespace tavrik {

TrackThread::~TrackThread() {
  // Never left running here: the objects it works with go with this one.
  // A thread that finish() left behind is waited for, however long.
  try {
    std::unique_lock<std::mutex> lock(mutex_);
    open_ = false;
    past_ = true;
    waiting_.reset();
    ++events_;
    changed_.notify_all();
    changed_.wait(lock, [this] { return !running_; });
    lock.unlock();
    if (thread_.joinable()) thread_.join();
  } catch (...) {
  }
}

void TrackThread::start() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (thread_.joinable() || running_) return;
  thread_ = std::thread([this] {
    // Nothing may escape a thread's function: the process would end.
    try {
      run();
    } catch (...) {
    }
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = false;
    changed_.notify_all();
  });
  // Only once the thread exists: a start that failed leaves nothing for
  // finish() to wait for.
  running_ = true;
  open_ = true;
}

void TrackThread::take(const TitleChange& change) {
  if (!change.track && !change.playbackStatus) return;
  if (change.playbackStatus) caption_.playbackStatus(*change.playbackStatus);
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) return;
  if (change.track) waiting_ = *change.track;
  ++events_;
  changed_.notify_all();
}

void TrackThread::wake() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++events_;
  changed_.notify_all();
}

bool TrackThread::finish(Clock::time_point deadline) {
  const Clock::time_point workUntil = deadline - kWrapUp;
  // A message already waiting for its answer gives up within its own
  // second, sooner still; the rest give up by then.
  encoder_.endWaitsBy(workUntil);
  std::unique_lock<std::mutex> lock(mutex_);
  open_ = false;
  if (workUntil < workUntil_) workUntil_ = workUntil;
  ++events_;
  changed_.notify_all();
  changed_.wait_until(lock, workUntil, [this] { return !running_; });
  // What has not started by now is dropped; the running work gets the rest.
  waiting_.reset();
  past_ = true;
  ++events_;
  changed_.notify_all();
  bool ended = changed_.wait_until(lock, deadline, [this] { return !running_; });
  lock.unlock();
  if (thread_.joinable()) {
    if (ended) {
      thread_.join();
    } else {
      thread_.detach();
    }
  }
  // The thread has handed the outputs their last caption: what goes out on
  // their own threads (OBS's text, the page's event) goes within the same
  // deadline, and their connections close.
  for (Output* output : outputs_) output->finish(deadline);
  return ended;
}

bool TrackThread::waitForWork(std::unique_lock<std::mutex>& lock) {
  for (;;) {
    if (past_) return false;
    if (waiting_) return true;
    const unsigned long seen = events_;
    // Asked with the lock held: a wake() after this answer counts as news.
    std::optional<Clock::time_point> due = outputsDueAt();
    if (!open_ && (!due || *due > workUntil_)) return false;
    if (due && *due <= Clock::now()) return true;
    auto news = [&] { return events_ != seen; };
    if (due) {
      changed_.wait_until(lock, *due, news);
    } else {
      changed_.wait(lock, news);
    }
  }
}

std::optional<TrackThread::Clock::time_point> TrackThread::outputsDueAt() {
  std::optional<Clock::time_point> due;
  for (const Output* output : outputs_) {
    std::optional<Clock::time_point> next = output->dueAt();
    if (next && (!due || *next < *due)) due = next;
  }
  return due;
}

void TrackThread::serveOutputs(Clock::time_point now) {
  for (Output* output : outputs_) {
    std::optional<Clock::time_point> due = output->dueAt();
    if (due && *due <= now) output->perform(now);
  }
}

bool TrackThread::superseded() {
  std::lock_guard<std::mutex> lock(mutex_);
  return waiting_.has_value() || past_;
}

void TrackThread::handle(const TrackRequest& track) {
  std::shared_ptr<const RuleList> rules = rules_.current();
  std::optional<TrackTags> tags =
      track.streamTitle ? tags_.streamTags(*track.streamTitle) : tags_.readTrackTags(track.path);
  // Reading the tags may have taken long (a file on a share): a track that
  // came meanwhile is the one to show.
  if (!tags || superseded()) return;
  AnsiOrWide text = renderer_.renderScriptText(*tags, *rules);
  encoder_.deliverToEncoder(text);
  caption_.track(*tags, text, track.streamTitle ? AnsiOrWide() : track.path);
}

void TrackThread::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (waitForWork(lock)) {
    std::optional<TrackRequest> track = std::move(waiting_);
    waiting_.reset();
    lock.unlock();
    // A track or a caption write that fails ends only itself.
    try {
      if (track) {
        handle(*track);
      } else {
        serveOutputs(Clock::now());
      }
    } catch (...) {
    }
    lock.lock();
  }
}

}  // namespace tavrik
