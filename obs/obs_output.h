// The OBS output: the newest caption, set into one OBS text source, and the
// cover file, set into one image source, over one connection that a thread
// of its own keeps open, reconnecting with a growing pause whenever OBS is
// not running, closes or restarts. Callers (the plug-in's thread, the
// player's thread) never wait for the network.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "obs/obs_address.h"
#include "obs/obs_connection.h"
#include "obs/obs_hashing.h"
#include "obs/obs_inputs.h"
#include "obs/obs_status.h"
#include "obs/obs_timing.h"
#include "obs/web_socket.h"

namespace tavrik {

// UTF-8 texts, as the settings file keeps them.
struct ObsSettings {
  std::string address = "127.0.0.1:4455";
  std::string password;
  std::string source;       // the text source; empty: no text is set
  std::string coverSource;  // the image source; empty: no picture is set
  bool on() const { return !source.empty() || !coverSource.empty(); }
  bool operator==(const ObsSettings& other) const {
    return address == other.address && password == other.password && source == other.source &&
           coverSource == other.coverSource;
  }
  bool operator!=(const ObsSettings& other) const { return !(*this == other); }
};

class ObsOutput {
 public:
  using Clock = std::chrono::steady_clock;
  // How long each step may wait for OBS: the connection, each handshake
  // message, the answer to a request. OBS answers on this machine in
  // milliseconds; a longer silence is a hung OBS.
  static constexpr std::chrono::milliseconds kAnswerLimit{3000};
  // How long a goodbye may take when the connection ends.
  static constexpr std::chrono::milliseconds kCloseLimit{500};

  // `socket` serves every connection in turn; `timing` may be left out.
  ObsOutput(std::unique_ptr<WebSocket> socket, const ObsHashing& hashing, ObsTiming* timing = nullptr);
  // Ends the thread as finish() with a deadline of now.
  ~ObsOutput();
  ObsOutput(const ObsOutput&) = delete;
  ObsOutput& operator=(const ObsOutput&) = delete;

  // From the host's thread. New settings drop the connection of the old
  // ones and clear the status; no source at all ends the thread, and with it
  // every connection and all traffic. Ignored once finish() has begun.
  void configure(const ObsSettings& settings);
  // From any thread, never waits: the text OBS is to show. Newest wins: a
  // text not yet sent is replaced. Kept while off, for when it is turned on.
  void setText(std::string utf8);
  // The same for the image source's file: each call has OBS load it again,
  // as its content changed.
  void setCoverFile(std::string utf8Path);
  // Takes no new settings, gives a text still unsent the time until
  // `deadline` when connected, says goodbye and joins the thread by then.
  void finish(Clock::time_point deadline);
  // From any thread, without a lock or a wait.
  ObsStatus status() const { return status_.load(); }

 private:
  void startThread();
  // The thread's function: run(), started over after anything thrown.
  void keepRunning();
  void run();
  // The steps of run(), each with the lock held, which each releases while
  // it waits for OBS.
  void takeSettings(std::unique_lock<std::mutex>& lock);
  void connect(std::unique_lock<std::mutex>& lock);
  void send(std::unique_lock<std::mutex>& lock);
  void waitIdle(std::unique_lock<std::mutex>& lock);
  void lostConnection(std::unique_lock<std::mutex>& lock, const ObsResult& result);
  void closeConnection(std::unique_lock<std::mutex>& lock);
  void hand(void (ObsInputs::*handIt)(std::string), std::string value);
  bool hasUnsent() { return inputs_.next().has_value(); }
  void recordAnswer(const ObsInputs::Request& request, const ObsResult& result);
  void record(ObsOutcome outcome, int code);
  // The limit for one wait: kAnswerLimit, cut to what finish() left.
  std::chrono::milliseconds limit(std::chrono::milliseconds usual);
  void pause(std::unique_lock<std::mutex>& lock, std::chrono::milliseconds length);
  bool settingsChanged() const { return settingsGeneration_ != usedGeneration_; }

  std::unique_ptr<WebSocket> socket_;
  ObsConnection connection_;
  SteadyObsTiming steady_;
  ObsTiming& timing_;
  ObsStatusCell status_;

  std::mutex mutex_;
  std::condition_variable changed_;
  ObsSettings settings_;
  std::uint64_t settingsGeneration_ = 0;
  ObsInputs inputs_;
  bool finishing_ = false;
  Clock::time_point deadline_ = Clock::time_point::max();
  bool running_ = false;    // the thread has not ended its loop yet
  bool connected_ = false;  // the thread holds an identified connection
  std::thread thread_;

  // The thread's own, read and written with the lock held.
  static constexpr Clock::time_point kNever = Clock::time_point::max();
  std::uint64_t usedGeneration_ = 0;
  std::optional<ObsAddress> address_;
  std::string password_;
  RetryPause reconnect_;
  RetryPause retry_;
  Clock::time_point retryAt_ = kNever;  // when a missing source is asked for again
};

}  // namespace tavrik
