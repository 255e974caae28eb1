#include "pipeline/delivery_thread.h"

namespace tavrik {

DeliveryThread::~DeliveryThread() {
  try {
    finish(Clock::now());
  } catch (...) {
  }
}

void DeliveryThread::start() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (thread_.joinable()) return;
  running_ = true;
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
  open_ = true;
}

void DeliveryThread::deliverToEncoder(const ScriptText& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) return;
  waiting_ = text;
  ++events_;
  changed_.notify_all();
}

void DeliveryThread::wake() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++events_;
  changed_.notify_all();
}

void DeliveryThread::finish(Clock::time_point deadline) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    open_ = false;
    if (deadline < finishBy_) finishBy_ = deadline;
    ++events_;
    changed_.notify_all();
    changed_.wait_until(lock, deadline, [this] { return !running_; });
    // What has not started by now is dropped; the running work is awaited.
    waiting_.reset();
    past_ = true;
    ++events_;
    changed_.notify_all();
  }
  if (thread_.joinable()) thread_.join();
}

bool DeliveryThread::waitForWork(std::unique_lock<std::mutex>& lock) {
  for (;;) {
    if (waiting_) return true;
    const unsigned long seen = events_;
    // Asked with the lock held: a wake() after this answer counts as news.
    std::optional<Clock::time_point> due = side_ ? side_->dueAt() : std::nullopt;
    if (!open_ && (past_ || !due || *due > finishBy_)) return false;
    if (due && *due <= Clock::now()) return true;
    auto news = [&] { return events_ != seen; };
    if (due) {
      changed_.wait_until(lock, *due, news);
    } else {
      changed_.wait(lock, news);
    }
  }
}

void DeliveryThread::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (waitForWork(lock)) {
    std::optional<ScriptText> text = std::move(waiting_);
    waiting_.reset();
    lock.unlock();
    // A delivery or a side job that fails ends only itself.
    try {
      if (text) {
        job_.deliverToEncoder(*text);
      } else {
        side_->perform(Clock::now());
      }
    } catch (...) {
    }
    lock.lock();
  }
}

}  // namespace tavrik
