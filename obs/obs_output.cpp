#include "obs/obs_output.h"

#include <algorithm>
#include <system_error>

namespace tavrik {
namespace {

// How long an idle connection waits for OBS's close before it looks again;
// a new text, new settings or quit end the wait at once.
constexpr std::chrono::milliseconds kIdleLimit{60000};

}  // namespace

ObsOutput::ObsOutput(std::unique_ptr<WebSocket> socket, const ObsHashing& hashing, ObsTiming* timing)
    : socket_(std::move(socket)), connection_(*socket_, hashing), timing_(timing ? *timing : steady_) {}

ObsOutput::~ObsOutput() {
  try {
    finish(Clock::now());
  } catch (...) {
  }
}

void ObsOutput::configure(const ObsSettings& settings) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (finishing_ || settings == settings_) return;
  settings_ = settings;
  ++settingsGeneration_;
  status_.store(ObsStatus{});
  changed_.notify_all();
  if (running_) {
    // Whatever the thread waits for belongs to the old settings.
    socket_->interrupt();
    return;
  }
  if (settings_.source.empty()) return;
  // A thread that saw the output off has ended its loop: joining is at once.
  if (thread_.joinable()) thread_.join();
  startThread();
}

void ObsOutput::startThread() {
  running_ = true;
  try {
    thread_ = std::thread([this] {
      // Nothing may escape a thread's function: the process would end.
      try {
        run();
      } catch (...) {
        try {
          connection_.close(std::chrono::milliseconds(0));
        } catch (...) {
        }
        std::lock_guard<std::mutex> lock(mutex_);
        connected_ = false;
        running_ = false;
        changed_.notify_all();
      }
    });
  } catch (const std::system_error&) {
    running_ = false;
    status_.store(ObsStatus{ObsOutcome::otherFailure, 0, std::chrono::system_clock::now()});
  }
}

void ObsOutput::setText(std::string utf8) {
  std::lock_guard<std::mutex> lock(mutex_);
  text_ = std::move(utf8);
  ++textGeneration_;
  if (running_) socket_->wake();
}

void ObsOutput::finish(Clock::time_point deadline) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    finishing_ = true;
    deadline_ = std::min(deadline_, deadline);
    changed_.notify_all();
    if (running_) {
      socket_->wake();
      // Without a connection there is nothing left worth waiting for.
      if (!connected_) socket_->interrupt();
    }
    changed_.wait_until(lock, deadline, [this] { return !running_; });
    if (running_) socket_->interrupt();
  }
  if (thread_.joinable()) thread_.join();
}

void ObsOutput::record(ObsOutcome outcome, int code) {
  // An outcome of settings that have since changed is no longer news.
  if (settingsChanged()) return;
  status_.store(ObsStatus{outcome, code, std::chrono::system_clock::now()});
}

std::chrono::milliseconds ObsOutput::limit(std::chrono::milliseconds usual) {
  const Clock::time_point now = timing_.now();
  if (deadline_ <= now) return std::chrono::milliseconds(0);
  if (deadline_ == Clock::time_point::max()) return usual;
  return std::min(usual, std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - now));
}

void ObsOutput::pause(std::unique_lock<std::mutex>& lock, std::chrono::milliseconds length) {
  timing_.pause(lock, changed_, length, [this] { return finishing_ || settingsChanged(); });
}

void ObsOutput::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  std::optional<ObsAddress> address;
  std::string password;
  std::string source;
  RetryPause reconnect;
  RetryPause retry;
  // When a missing source is asked for again; never while none is missing.
  constexpr Clock::time_point kNever = Clock::time_point::max();
  Clock::time_point retryAt = kNever;

  for (;;) {
    const bool unsent = text_ && textGeneration_ != sentGeneration_;

    if (finishing_ || settings_.source.empty()) {
      if (finishing_ && connected_ && unsent && !settingsChanged()) {
        const std::string text = *text_;
        const std::uint64_t generation = textGeneration_;
        const auto wait = limit(kAnswerLimit);
        lock.unlock();
        const ObsResult result = connection_.setText(source, text, wait);
        lock.lock();
        if (result.open) {
          record(result.outcome, result.code);
          sentGeneration_ = generation;
        }
      }
      if (connection_.isOpen()) {
        connected_ = false;
        const auto wait = limit(kCloseLimit);
        lock.unlock();
        connection_.close(wait);
        lock.lock();
      }
      // Turned on again while the connection closed: go on.
      if (finishing_ || settings_.source.empty()) {
        running_ = false;
        changed_.notify_all();
        return;
      }
      continue;
    }

    if (settingsChanged()) {
      usedGeneration_ = settingsGeneration_;
      socket_->clearInterrupt();
      address = parseObsAddress(settings_.address);
      password = settings_.password;
      source = settings_.source;
      sentGeneration_ = 0;
      reconnect.reset();
      retry.reset();
      retryAt = kNever;
      if (connection_.isOpen()) {
        connected_ = false;
        const auto wait = limit(kCloseLimit);
        lock.unlock();
        connection_.close(wait);
        lock.lock();
      }
      continue;
    }

    if (!address) {
      record(ObsOutcome::badAddress, 0);
      changed_.wait(lock, [this] { return finishing_ || settingsChanged(); });
      continue;
    }

    if (!connection_.isOpen()) {
      const auto wait = limit(kAnswerLimit);
      lock.unlock();
      const ObsResult result = connection_.open(*address, password, wait);
      lock.lock();
      if (result.interrupted) continue;
      if (!result.open) {
        record(result.outcome, result.code);
        pause(lock, reconnect.next());
        continue;
      }
      // A new connection may be to an OBS that has never seen the text.
      connected_ = true;
      sentGeneration_ = 0;
      reconnect.reset();
      retry.reset();
      retryAt = kNever;
      continue;
    }

    if (unsent || (retryAt != kNever && timing_.now() >= retryAt)) {
      if (!text_) {
        retryAt = kNever;
        continue;
      }
      const std::string text = *text_;
      const std::uint64_t generation = textGeneration_;
      const auto wait = limit(kAnswerLimit);
      lock.unlock();
      const ObsResult result = connection_.setText(source, text, wait);
      lock.lock();
      if (!result.open) {
        // Broken on the way: the next connection sends the newest text.
        connected_ = false;
        if (!result.interrupted) pause(lock, reconnect.next());
        continue;
      }
      record(result.outcome, result.code);
      sentGeneration_ = generation;
      if (result.outcome == ObsOutcome::noSource) {
        // OBS may still be loading its scenes, or the user is making the
        // source: ask again, less often each time.
        retryAt = timing_.now() + retry.next();
      } else {
        retry.reset();
        retryAt = kNever;
      }
      continue;
    }

    std::chrono::milliseconds wait = kIdleLimit;
    if (retryAt != kNever) {
      // Rounded up: the ask is never made before it is due.
      wait = std::max(std::chrono::milliseconds(0),
                      std::chrono::ceil<std::chrono::milliseconds>(retryAt - timing_.now()));
    }
    lock.unlock();
    const ObsResult result = connection_.waitIdle(wait);
    lock.lock();
    if (!result.open) {
      connected_ = false;
      if (!result.interrupted) pause(lock, reconnect.next());
    }
  }
}

}  // namespace tavrik
