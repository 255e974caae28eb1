// One session with OBS over a WebSocket: Hello, Identify (answering the
// challenge when OBS asks for a password), Identified, then requests that
// set an input's setting (a text source's text, an image source's file),
// each awaited for its answer. Portable: the
// WebSocket and the hashing are given.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "obs/obs_address.h"
#include "obs/obs_hashing.h"
#include "obs/obs_status.h"
#include "obs/web_socket.h"

namespace tavrik {

struct ObsResult {
  // What to show: textSet for a text OBS took; nothingYet for a connection
  // that opened (passwordNotAsked when it opened without the password set),
  // a wait that was interrupted, or OBS going away between texts.
  ObsOutcome outcome = ObsOutcome::nothingYet;
  int code = 0;
  // interrupt() ended a wait: nothing was learnt. The connection is closed.
  bool interrupted = false;
  // The connection stayed usable.
  bool open = false;
};

class ObsConnection {
 public:
  using Limit = std::chrono::milliseconds;

  ObsConnection(WebSocket& socket, const ObsHashing& hashing) : socket_(socket), hashing_(hashing) {}

  // Connects and identifies, each of the three waits (connection, Hello,
  // Identified) within `limit`. On failure the socket is closed.
  ObsResult open(const ObsAddress& address, const std::string& password, Limit limit);
  // SetInputSettings of `source`'s setting `key`, its answer awaited within
  // `limit`; textSet when OBS took it.
  ObsResult setInputSetting(const std::string& source, const std::string& key, const std::string& value,
                            Limit limit);
  // While nothing is to be sent: reads what OBS sends until `limit`, a
  // wake() or an interrupt(), to learn at once when OBS closes.
  ObsResult waitIdle(Limit limit);
  void close(Limit limit);
  bool isOpen() const { return open_; }

 private:
  ObsResult fail(ObsOutcome outcome, int code = 0);
  ObsResult lost(const WebSocketReceived& received);
  // The next message within `limit`, not wakeable.
  WebSocketReceived next(std::chrono::steady_clock::time_point until);

  WebSocket& socket_;
  const ObsHashing& hashing_;
  bool open_ = false;
  bool passwordNotAsked_ = false;
  std::uint64_t nextRequest_ = 1;
};

}  // namespace tavrik
