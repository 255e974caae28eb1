// The OBS output's WebSocket over WinHTTP, in asynchronous mode: every wait
// is on events, so that interrupt() and wake() end it at once from another
// thread, and a hung peer never holds the thread past its limit.
#pragma once

#include <memory>

#include "common/win32_handles.h"
#include "obs/web_socket.h"

namespace tavrik {

class WinHttpWebSocket final : public WebSocket {
 public:
  WinHttpWebSocket();
  ~WinHttpWebSocket() override;
  WinHttpWebSocket(const WinHttpWebSocket&) = delete;
  WinHttpWebSocket& operator=(const WinHttpWebSocket&) = delete;

  WebSocketWait connect(const std::string& host, std::uint16_t port, const std::string& subprotocol,
                        Limit limit) override;
  WebSocketWait send(const std::string& text, Limit limit) override;
  WebSocketReceived receive(Limit limit, bool wakeable) override;
  void close(Limit limit) override;
  void interrupt() override;
  void clearInterrupt() override;
  void wake() override;

  // The state of one connection, shared with WinHTTP's callbacks, which may
  // come after its handles are closed.
  struct Session;

 private:
  Session* session_ = nullptr;
  UniqueKernelHandle interrupt_;  // manual reset
  UniqueKernelHandle wake_;       // auto reset
};

}  // namespace tavrik
