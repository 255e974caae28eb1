// The plug-in's one delivery thread: the host's window hands each finished
// text over and goes on at once, and the thread performs the delivery of one
// text at a time, so that a slow or hung encoder never holds up the host.
// Between texts it does side work at times of that work's own choosing (the
// caption file's writes and their retries).
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "pipeline/title_change_ports.h"

namespace tavrik {

// Work the delivery thread does when no text is waiting. Both calls come on
// the thread only.
class SideWork {
 public:
  using Clock = std::chrono::steady_clock;
  virtual ~SideWork() = default;
  // When perform() has something to do next; nothing when it has nothing.
  virtual std::optional<Clock::time_point> dueAt() = 0;
  virtual void perform(Clock::time_point now) = 0;
};

class DeliveryThread final : public ScriptDelivery {
 public:
  using Clock = std::chrono::steady_clock;

  // `job` performs the delivery of one text, always on the thread; `side`,
  // when given, is done on the thread whenever it is due and no text waits.
  explicit DeliveryThread(ScriptDelivery& job, SideWork* side = nullptr) : job_(job), side_(side) {}
  // A thread that finish() did not end is ended here: a text that has not
  // started is dropped, the running delivery is waited for.
  ~DeliveryThread() override;
  DeliveryThread(const DeliveryThread&) = delete;
  DeliveryThread& operator=(const DeliveryThread&) = delete;

  // Starts the thread (once); std::system_error when it cannot be made.
  void start();

  // Hands `text` over without waiting. Newest wins: a text that has not
  // started yet is replaced, so an older text is never delivered after a
  // newer one. Ignored before start() and once finish() has begun.
  void deliverToEncoder(const ScriptText& text) override;

  // From any thread: the side work may be due sooner than it said.
  void wake();

  // Takes no new text, lets the waiting and the running delivery, and side
  // work that falls due meanwhile, finish until `deadline`, drops what has
  // not started by then and joins the thread. The running delivery is waited
  // for: it must itself give up by the deadline.
  void finish(Clock::time_point deadline);

 private:
  void run();
  // Waits for the next thing to do; false when the thread is to end.
  bool waitForWork(std::unique_lock<std::mutex>& lock);

  ScriptDelivery& job_;
  SideWork* side_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<ScriptText> waiting_;
  bool open_ = false;     // texts are taken: from start() until finish()
  bool running_ = false;  // the thread has not ended its loop yet
  unsigned long events_ = 0;  // counts every hand-over, wake and finish
  Clock::time_point finishBy_ = Clock::time_point::max();
  bool past_ = false;  // finish()'s deadline has passed: no side work starts
  std::thread thread_;
};

}  // namespace tavrik
