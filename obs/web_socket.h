// The one WebSocket client connection the OBS output needs, as an interface:
// the protocol logic runs over a fake in the native tests and over WinHTTP in
// the plug-in. One object serves one connection at a time and may be opened
// again after close().
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tavrik {

enum class WebSocketWait {
  done,         // the operation completed
  failed,       // no connection, or it broke
  timedOut,     // the wait limit passed first
  interrupted,  // interrupt(), or for receive() also wake(), ended the wait
  closed,       // receive(): the peer closed the connection
  notWebSocket, // connect(): something answered, but refused the upgrade
  tooLarge,     // receive(): a message longer than kWebSocketMaxMessage
};

// The longest message a receive takes, fragments together: far above what
// OBS sends, and a bound on what a hostile peer can make the player hold.
// A longer one ends the receive as tooLarge; the connection is then of no
// further use.
inline constexpr std::size_t kWebSocketMaxMessage = 1024 * 1024;

struct WebSocketReceived {
  WebSocketWait wait = WebSocketWait::failed;
  std::string text;        // done: one whole text message, UTF-8
  int closeCode = 0;       // closed: the peer's close code (1000, 4009, ...)
};

class WebSocket {
 public:
  using Limit = std::chrono::milliseconds;
  virtual ~WebSocket() = default;

  // Opens ws://host:port/ with the given subprotocol, directly (never
  // through a proxy, never following a redirect).
  virtual WebSocketWait connect(const std::string& host, std::uint16_t port, const std::string& subprotocol,
                                Limit limit) = 0;
  virtual WebSocketWait send(const std::string& text, Limit limit) = 0;
  // The next whole text message, or why there is none. A receive that ended
  // interrupted or timed out goes on with the next call: no message is lost.
  // Only a `wakeable` receive is ended by wake().
  virtual WebSocketReceived receive(Limit limit, bool wakeable) = 0;
  // Says goodbye when the peer still listens within `limit` (interrupt()
  // does not cut it short), then drops the connection. No wait of it outlives
  // the call.
  virtual void close(Limit limit) = 0;

  // From any thread. interrupt(): every wait of connect, send and receive,
  // running or to come, ends at once as interrupted, until
  // clearInterrupt(). wake(): the wakeable receive running, or else the
  // next one, ends as interrupted, once.
  virtual void interrupt() = 0;
  virtual void clearInterrupt() = 0;
  virtual void wake() = 0;
};

}  // namespace tavrik
