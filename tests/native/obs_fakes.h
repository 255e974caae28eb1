// Stand-ins under the OBS output: hashing by OpenSSL, a clock that moves
// only when the output waits, and an OBS that speaks obs-websocket 5 over a
// WebSocket of the test's own, recording everything it is sent.
#pragma once

#include <openssl/evp.h>
#include <openssl/sha.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "obs/obs_hashing.h"
#include "obs/obs_timing.h"
#include "obs/web_socket.h"

namespace tavrik::testing {

class OpenSslHashing : public ObsHashing {
 public:
  std::string sha256(const std::string& bytes) const override {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest);
    return std::string(reinterpret_cast<const char*>(digest), sizeof(digest));
  }
  std::string base64(const std::string& bytes) const override {
    std::string text(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()),
                                       reinterpret_cast<const unsigned char*>(bytes.data()),
                                       static_cast<int>(bytes.size()));
    text.resize(static_cast<std::size_t>(length));
    return text;
  }
};

// Time as the output's thread sees it: real time plus every pause and every
// receive that ran out, which take no real time here.
class FakeTiming : public ObsTiming {
 public:
  Clock::time_point now() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return Clock::now() + skipped_;
  }
  void pause(std::unique_lock<std::mutex>& lock, std::condition_variable& changed, std::chrono::milliseconds length,
             const std::function<bool()>& cut) override {
    bool hold;
    {
      std::lock_guard<std::mutex> own(mutex_);
      pauses_.push_back(length);
      skipped_ += length;
      hold = pauses_.size() >= holdAfter;
    }
    if (onPause) onPause(pauses().size());
    // Past the pauses a test wants to see, the thread waits for real, so
    // that it does not spin.
    if (hold) changed.wait_for(lock, std::chrono::seconds(10), cut);
  }
  void skip(std::chrono::milliseconds length) {
    std::lock_guard<std::mutex> lock(mutex_);
    skipped_ += length;
  }
  std::vector<std::chrono::milliseconds> pauses() {
    std::lock_guard<std::mutex> lock(mutex_);
    return pauses_;
  }

  std::size_t holdAfter = 1000;
  // Called after each pause is recorded, with how many there were.
  std::function<void(std::size_t)> onPause;

 private:
  std::mutex mutex_;
  std::chrono::milliseconds skipped_{0};
  std::vector<std::chrono::milliseconds> pauses_;
};

struct Connect {
  std::string host;
  std::uint16_t port;
  std::string subprotocol;
};

// OBS at the other end: Hello (with a challenge when it has a password),
// Identified or the close 4009, and answers to SetInputSettings, code 600
// for an input it does not have.
class FakeObs {
  template <typename F>
  void change(F f) {
    std::lock_guard<std::mutex> lock(mutex_);
    f();
    changed_.notify_all();
  }
  template <typename F>
  auto locked(F f) {
    std::lock_guard<std::mutex> lock(mutex_);
    return f();
  }

 public:
  using Json = nlohmann::json;

  explicit FakeObs(FakeTiming* timing = nullptr) : timing_(timing) {}

  // What the test sets, at any time.
  void setRunning(bool running) { change([&] { running_ = running; }); }
  void setPassword(const std::string& password) { change([&] { password_ = password; }); }
  void addInput(const std::string& name) { change([&] { inputs_.insert(name); }); }
  // Answers to requests wait until released (a hung OBS when never).
  void holdAnswers(bool hold);
  // A silent OBS accepts connections and messages and answers nothing.
  void setSilent(bool silent) { change([&] { silent_ = silent; }); }
  // Sent in place of the Hello, when not empty.
  void setHello(const std::string& hello) { change([&] { hello_ = hello; }); }
  // OBS quits: the connection ends with its close.
  void closeConnection(int code, const std::string& reason) {
    change([&] {
      if (connected_) inbox_.push_back(Frame{true, code, reason});
    });
  }
  void queueRaw(const std::string& message) {
    change([&] { inbox_.push_back(Frame{false, 0, message}); });
  }
  // The next receive ends with `wait` (the connection broke, a message too
  // large), and the connection is gone.
  void queueBreak(WebSocketWait wait) {
    change([&] { inbox_.push_back(Frame{false, 0, {}, wait}); });
  }
  // What connect answers while OBS runs, when not done: a web server that
  // refuses the upgrade, say.
  void setConnectAnswer(WebSocketWait wait) { change([&] { connectAnswer_ = wait; }); }

  std::string challenge = "+IxH4CnCiqpX1rM9scsNynZzbOe4KhDeYcTNS3PDaeY=";
  std::string salt = "lM1GncleQOaCu9lT1yeUZhFYnqhsLLP1G5lAGo3ixaI=";

  // What it saw.
  std::vector<std::string> sent() { return locked([&] { return sent_; }); }
  std::vector<Connect> connects() { return locked([&] { return connects_; }); }
  // The texts set into existing inputs, in order.
  std::vector<std::string> texts() { return locked([&] { return texts_; }); }
  std::vector<std::string> requestedInputs() { return locked([&] { return requestedInputs_; }); }
  // Each image source's file as set, "name: path".
  std::vector<std::string> files() { return locked([&] { return files_; }); }
  int closes() { return locked([&] { return closes_; }); }
  bool connected() { return locked([&] { return connected_; }); }
  bool sawInterrupt() { return locked([&] { return sawInterrupt_; }); }
  bool stalled() { return locked([&] { return stalled_; }); }
  // Waits (ten seconds at most) until `done` holds of this OBS.
  bool waitUntil(const std::function<bool()>& done) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), done);
  }
  std::mutex& mutex() { return mutex_; }
  // Unlocked views for waitUntil's predicates.
  const std::vector<std::string>& textsSoFar() const { return texts_; }
  const std::vector<std::string>& filesSoFar() const { return files_; }
  std::size_t requestsSoFar() const { return requestedInputs_.size(); }
  std::size_t sentCount() const { return sent_.size(); }
  bool connectedNow() const { return connected_; }
  // The limits of the waits for news on an idle connection that ran out.
  std::vector<std::chrono::milliseconds> idleLimits() { return locked([&] { return idleLimits_; }); }

  // The WebSocket side, called by the client's socket.
  WebSocketWait connect(const std::string& host, std::uint16_t port, const std::string& subprotocol);
  WebSocketWait send(const std::string& text);
  WebSocketReceived receive(std::chrono::milliseconds limit, bool wakeable);
  void close();
  void interrupt() { change([&] { interrupted_ = true; }); }
  void clearInterrupt() { change([&] { interrupted_ = false; }); }
  void wake() { change([&] { woken_ = true; }); }

 private:
  struct Frame {
    bool close;
    int code;
    std::string text;  // the message, or the close's reason
    WebSocketWait wait = WebSocketWait::done;
  };
  void answer(const Json& request);

  FakeTiming* timing_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool running_ = true;
  WebSocketWait connectAnswer_ = WebSocketWait::done;
  std::string password_;
  std::set<std::string> inputs_;
  bool holdAnswers_ = false;
  bool silent_ = false;
  std::string hello_;
  std::deque<Json> heldRequests_;
  bool connected_ = false;
  bool identified_ = false;
  bool interrupted_ = false;
  bool woken_ = false;
  bool sawInterrupt_ = false;
  bool stalled_ = false;
  std::deque<Frame> inbox_;
  std::vector<std::string> sent_;
  std::vector<Connect> connects_;
  std::vector<std::string> texts_;
  std::vector<std::string> files_;
  std::vector<std::string> requestedInputs_;
  int closes_ = 0;
  std::vector<std::chrono::milliseconds> idleLimits_;
};

class FakeWebSocket : public WebSocket {
 public:
  explicit FakeWebSocket(FakeObs& obs) : obs_(obs) {}
  WebSocketWait connect(const std::string& host, std::uint16_t port, const std::string& subprotocol,
                        Limit) override {
    return obs_.connect(host, port, subprotocol);
  }
  WebSocketWait send(const std::string& text, Limit) override { return obs_.send(text); }
  WebSocketReceived receive(Limit limit, bool wakeable) override { return obs_.receive(limit, wakeable); }
  void close(Limit) override { obs_.close(); }
  void interrupt() override { obs_.interrupt(); }
  void clearInterrupt() override { obs_.clearInterrupt(); }
  void wake() override { obs_.wake(); }

 private:
  FakeObs& obs_;
};

}  // namespace tavrik::testing
