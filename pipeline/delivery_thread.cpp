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
  thread_ = std::thread([this] {
    // Nothing may escape a thread's function: the process would end.
    try {
      run();
    } catch (...) {
    }
  });
  open_ = true;
}

void DeliveryThread::deliverToEncoder(const ScriptText& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) return;
  waiting_ = text;
  changed_.notify_all();
}

void DeliveryThread::finish(Clock::time_point deadline) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    open_ = false;
    changed_.notify_all();
    changed_.wait_until(lock, deadline, [this] { return !waiting_ && !delivering_; });
    waiting_.reset();
    changed_.notify_all();
  }
  if (thread_.joinable()) thread_.join();
}

void DeliveryThread::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return waiting_ || !open_; });
    if (!waiting_) return;
    auto text = std::move(*waiting_);
    waiting_.reset();
    delivering_ = true;
    lock.unlock();
    // A delivery that fails ends that text's delivery only.
    try {
      job_.deliverToEncoder(text);
    } catch (...) {
    }
    lock.lock();
    delivering_ = false;
    changed_.notify_all();
  }
}

}  // namespace tavrik
