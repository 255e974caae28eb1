// What OBS, or anything listening on its address, sends the plug-in.
// Input: messages cut at NUL bytes. The first is read by every reader on its
// own; then all of them are what a peer answers a whole session with: the
// Hello, the Identified, the answer to a text, then what comes while idle.
// Properties:
// - no message crashes a reader, however deep, long or garbled;
// - a message any reader takes is an obs-websocket message;
// - a code read is one the status word can hold, or -1;
// - the messages the plug-in builds are obs-websocket messages, whatever
//   bytes the texts hold;
// - the session opens only on an Identified, reports a text set only on an
//   answer saying so, and leaves the connection closed after any failure.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "fuzz_check.h"
#include "obs/obs_address.h"
#include "obs/obs_connection.h"
#include "obs/obs_hashing.h"
#include "obs/obs_messages.h"
#include "obs/web_socket.h"

namespace {

using tavrik::ObsOutcome;
using tavrik::WebSocketWait;

// Not SHA-256: any 32 bytes and any text serve, the messages are the point.
class PlainHashing : public tavrik::ObsHashing {
 public:
  std::string sha256(const std::string& bytes) const override {
    std::string digest(32, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) digest[i % 32] = static_cast<char>(digest[i % 32] ^ bytes[i]);
    return digest;
  }
  std::string base64(const std::string& bytes) const override { return bytes.empty() ? "" : "b64:" + bytes; }
};

// A peer that answers every receive with the next of its messages, and,
// when it has none left, breaks the connection.
class ScriptedSocket : public tavrik::WebSocket {
 public:
  explicit ScriptedSocket(std::deque<std::string> messages) : messages_(std::move(messages)) {}
  WebSocketWait connect(const std::string&, std::uint16_t, const std::string&, Limit) override {
    open_ = true;
    return WebSocketWait::done;
  }
  WebSocketWait send(const std::string&, Limit) override { return open_ ? WebSocketWait::done : WebSocketWait::failed; }
  tavrik::WebSocketReceived receive(Limit, bool) override {
    tavrik::WebSocketReceived received;
    if (!open_ || messages_.empty()) return received;
    received.wait = WebSocketWait::done;
    received.text = std::move(messages_.front());
    messages_.pop_front();
    last_ = received.text;
    return received;
  }
  void close(Limit) override { open_ = false; }
  void interrupt() override {}
  void clearInterrupt() override {}
  void wake() override {}

  bool open_ = false;
  std::string last_;

 private:
  std::deque<std::string> messages_;
};

void readersAgree(const std::string& message) {
  const auto hello = tavrik::readHello(message);
  const bool identified = tavrik::isIdentified(message);
  const auto answer = tavrik::readRequestAnswer(message);
  const bool any = hello || identified || answer;
  fuzz::expect(!any || tavrik::isObsMessage(message), "what a reader takes is an obs-websocket message");
  fuzz::expect(int(bool(hello)) + int(identified) + int(bool(answer)) <= 1, "a message is of one operation");
  if (answer) fuzz::expect(answer->code >= -1 && answer->code <= 99999, "a code the status word holds");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = fuzz::bytesOf(data, size);
  std::deque<std::string> messages;
  for (std::size_t start = 0; start <= input.size();) {
    const std::size_t end = std::min(input.find('\0', start), input.size());
    messages.emplace_back(input.substr(start, end - start));
    start = end + 1;
  }
  readersAgree(messages.front());
  fuzz::expect(tavrik::isObsMessage(tavrik::identifyMessage(messages.front())), "Identify is well formed");
  fuzz::expect(tavrik::isObsMessage(tavrik::setInputSettingMessage("1", messages.front(), "text", messages.back())),
               "a request is well formed, whatever its texts");

  PlainHashing hashing;
  ScriptedSocket socket(messages);
  tavrik::ObsConnection connection(socket, hashing);
  using std::chrono::milliseconds;
  const tavrik::ObsResult opened = connection.open(tavrik::ObsAddress{"127.0.0.1", 4455}, "pw", milliseconds(10));
  fuzz::expect(opened.open == connection.isOpen(), "the result says whether the connection is open");
  fuzz::expect(opened.open || !socket.open_, "a failed handshake leaves no connection");
  if (!opened.open) return 0;
  fuzz::expect(tavrik::isIdentified(socket.last_), "the session opens on an Identified");
  const tavrik::ObsResult set = connection.setInputSetting("Caption", "text", "text", milliseconds(10));
  if (set.outcome == ObsOutcome::textSet || set.outcome == ObsOutcome::textSetPasswordNotAsked) {
    const auto answer = tavrik::readRequestAnswer(socket.last_);
    fuzz::expect(answer && answer->result && answer->code == 100, "a text set only on an answer saying so");
  }
  fuzz::expect(set.open || !socket.open_, "a failed request leaves no connection");
  if (set.open) {
    const tavrik::ObsResult idle = connection.waitIdle(milliseconds(10));
    fuzz::expect(idle.open || !socket.open_, "a failure while idle leaves no connection");
  }
  return 0;
}
