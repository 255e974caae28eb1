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
  if (!settings_.on()) return;
  // A thread that saw the output off has ended its loop: joining is at once.
  if (thread_.joinable()) thread_.join();
  startThread();
}

void ObsOutput::startThread() {
  running_ = true;
  try {
    thread_ = std::thread([this] { keepRunning(); });
  } catch (const std::system_error&) {
    running_ = false;
    status_.store(ObsStatus{ObsOutcome::otherFailure, 0, std::chrono::system_clock::now()});
  }
}

void ObsOutput::keepRunning() {
  // Nothing may escape a thread's function: the process would end. And
  // whatever a peer made go wrong (memory it made us ask for, say) must not
  // end the output while it is on: the connection is dropped, the status
  // says so, and the thread starts over after a pause.
  for (;;) {
    try {
      run();
      return;
    } catch (...) {
    }
    try {
      connection_.close(std::chrono::milliseconds(0));
    } catch (...) {
    }
    std::unique_lock<std::mutex> lock(mutex_);
    connected_ = false;
    record(ObsOutcome::otherFailure, 0);
    if (finishing_ || !settings_.on()) {
      running_ = false;
      changed_.notify_all();
      return;
    }
    try {
      pause(lock, reconnect_.next());
    } catch (...) {
    }
  }
}

void ObsOutput::setText(std::string utf8) { hand(&ObsInputs::handText, std::move(utf8)); }

void ObsOutput::setCoverFile(std::string utf8Path) { hand(&ObsInputs::handCoverFile, std::move(utf8Path)); }

void ObsOutput::hand(void (ObsInputs::*handIt)(std::string), std::string value) {
  std::lock_guard<std::mutex> lock(mutex_);
  (inputs_.*handIt)(std::move(value));
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
  // Starting over after a throw, it goes on with the settings it took.
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    if (finishing_ || !settings_.on()) {
      if (finishing_ && connected_ && hasUnsent() && !settingsChanged()) send(lock);
      closeConnection(lock);
      // Turned on again while the connection closed: go on.
      if (finishing_ || !settings_.on()) {
        running_ = false;
        changed_.notify_all();
        return;
      }
    } else if (settingsChanged()) {
      takeSettings(lock);
    } else if (!address_) {
      record(ObsOutcome::badAddress, 0);
      changed_.wait(lock, [this] { return finishing_ || settingsChanged(); });
    } else if (!connection_.isOpen()) {
      connect(lock);
    } else if (hasUnsent() || (retryAt_ != kNever && timing_.now() >= retryAt_)) {
      send(lock);
    } else {
      waitIdle(lock);
    }
  }
}

void ObsOutput::takeSettings(std::unique_lock<std::mutex>& lock) {
  usedGeneration_ = settingsGeneration_;
  socket_->clearInterrupt();
  address_ = parseObsAddress(settings_.address);
  password_ = settings_.password;
  inputs_.name(settings_.source, settings_.coverSource);
  reconnect_.reset();
  retry_.reset();
  retryAt_ = kNever;
  closeConnection(lock);
}

void ObsOutput::connect(std::unique_lock<std::mutex>& lock) {
  const auto wait = limit(kAnswerLimit);
  lock.unlock();
  const ObsResult result = connection_.open(*address_, password_, wait);
  lock.lock();
  if (result.interrupted) return;
  if (!result.open) {
    record(result.outcome, result.code);
    pause(lock, reconnect_.next());
    return;
  }
  // A new connection may be to an OBS that has never seen the text.
  connected_ = true;
  inputs_.sendAllAgain();
  reconnect_.reset();
  retry_.reset();
  retryAt_ = kNever;
  if (result.outcome != ObsOutcome::nothingYet) record(result.outcome, result.code);
}

void ObsOutput::send(std::unique_lock<std::mutex>& lock) {
  if (retryAt_ != kNever && timing_.now() >= retryAt_) {
    retryAt_ = kNever;
    inputs_.sendMissingAgain();
  }
  const std::optional<ObsInputs::Request> request = inputs_.next();
  if (!request) return;
  const auto wait = limit(kAnswerLimit);
  lock.unlock();
  const ObsResult result = connection_.setInputSetting(request->name, request->key, request->value, wait);
  lock.lock();
  if (!result.open) {
    // Broken on the way: the next connection sends the newest values.
    lostConnection(lock, result);
    return;
  }
  const bool missing = result.outcome == ObsOutcome::noSource;
  inputs_.answered(*request, missing);
  recordAnswer(*request, result);
  if (missing) {
    // OBS may still be loading its scenes, or the user is making the
    // source: ask again, less often each time.
    if (retryAt_ == kNever) retryAt_ = timing_.now() + retry_.next();
  } else if (!inputs_.anyMissing()) {
    retry_.reset();
    retryAt_ = kNever;
  }
}

void ObsOutput::recordAnswer(const ObsInputs::Request& request, const ObsResult& result) {
  if (!inputs_.isCover(request)) return record(result.outcome, result.code);
  const bool taken = result.outcome == ObsOutcome::textSet || result.outcome == ObsOutcome::textSetPasswordNotAsked;
  if (result.outcome == ObsOutcome::noSource) {
    record(ObsOutcome::noCoverSource, result.code);
  } else if (!taken) {
    record(result.outcome, result.code);
  } else if (!inputs_.hasTextSource()) {
    // Beside a text source, the line keeps telling of the text.
    record(ObsOutcome::coverSet, result.code);
  }
}

void ObsOutput::waitIdle(std::unique_lock<std::mutex>& lock) {
  std::chrono::milliseconds wait = kIdleLimit;
  if (retryAt_ != kNever) {
    // Rounded up: the ask is never made before it is due.
    wait = std::max(std::chrono::milliseconds(0),
                    std::chrono::ceil<std::chrono::milliseconds>(retryAt_ - timing_.now()));
  }
  lock.unlock();
  const ObsResult result = connection_.waitIdle(wait);
  lock.lock();
  if (!result.open) lostConnection(lock, result);
}

void ObsOutput::lostConnection(std::unique_lock<std::mutex>& lock, const ObsResult& result) {
  connected_ = false;
  if (result.outcome != ObsOutcome::nothingYet) record(result.outcome, result.code);
  if (!result.interrupted) pause(lock, reconnect_.next());
}

void ObsOutput::closeConnection(std::unique_lock<std::mutex>& lock) {
  if (!connection_.isOpen()) return;
  connected_ = false;
  const auto wait = limit(kCloseLimit);
  lock.unlock();
  connection_.close(wait);
  lock.lock();
}

}  // namespace tavrik
