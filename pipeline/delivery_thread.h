// The plug-in's one delivery thread: the host's window hands each finished
// text over and goes on at once, and the thread performs the delivery of one
// text at a time, so that a slow or hung encoder never holds up the host.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "pipeline/title_change_ports.h"

namespace tavrik {

class DeliveryThread final : public ScriptDelivery {
 public:
  using Clock = std::chrono::steady_clock;

  // `job` performs the delivery of one text, always on the thread.
  explicit DeliveryThread(ScriptDelivery& job) : job_(job) {}
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

  // Takes no new text, lets the waiting and the running delivery finish
  // until `deadline`, drops what has not started by then and joins the
  // thread. The running delivery is waited for: it must itself give up by
  // the deadline.
  void finish(Clock::time_point deadline);

 private:
  void run();

  ScriptDelivery& job_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<ScriptText> waiting_;
  bool delivering_ = false;
  bool open_ = false;  // texts are taken: from start() until finish()
  std::thread thread_;
};

}  // namespace tavrik
