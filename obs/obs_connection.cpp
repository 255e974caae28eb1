#include "obs/obs_connection.h"

#include "obs/obs_messages.h"

namespace tavrik {
namespace {

using Clock = std::chrono::steady_clock;

WebSocket::Limit remaining(Clock::time_point until) {
  const Clock::time_point now = Clock::now();
  if (until <= now) return WebSocket::Limit(0);
  return std::chrono::ceil<WebSocket::Limit>(until - now);
}

// What a wait that went wrong says about the other end.
ObsOutcome outcomeOf(WebSocketWait wait, bool connected) {
  switch (wait) {
    case WebSocketWait::failed:
      // Before the connection: nothing listens. After it: it broke.
      return connected ? ObsOutcome::connectionLost : ObsOutcome::notRunning;
    case WebSocketWait::timedOut:
      return ObsOutcome::noAnswer;
    case WebSocketWait::notWebSocket:
    case WebSocketWait::tooLarge:
      return ObsOutcome::notObsWebSocket;
    default:
      return ObsOutcome::otherFailure;
  }
}

WebSocketReceived ended(WebSocketWait wait) {
  WebSocketReceived received;
  received.wait = wait;
  return received;
}

}  // namespace

ObsResult ObsConnection::fail(ObsOutcome outcome, int code) {
  socket_.close(Limit(0));
  open_ = false;
  ObsResult result;
  result.outcome = outcome;
  result.code = code;
  return result;
}

ObsResult ObsConnection::lost(const WebSocketReceived& received) {
  if (received.wait == WebSocketWait::interrupted) {
    ObsResult result = fail(ObsOutcome::nothingYet);
    result.interrupted = true;
    return result;
  }
  if (received.wait == WebSocketWait::closed) {
    if (received.closeCode == kObsAuthenticationFailed) return fail(ObsOutcome::passwordRefused, received.closeCode);
    return fail(ObsOutcome::otherFailure, received.closeCode);
  }
  return fail(outcomeOf(received.wait, true));
}

WebSocketReceived ObsConnection::next(Clock::time_point until) {
  return socket_.receive(remaining(until), false);
}

ObsResult ObsConnection::open(const ObsAddress& address, const std::string& password, Limit limit) {
  if (open_) close(Limit(0));
  passwordNotAsked_ = false;
  const WebSocketWait connected = socket_.connect(address.host, address.port, kObsSubprotocol, limit);
  if (connected == WebSocketWait::interrupted) return lost(ended(connected));
  if (connected != WebSocketWait::done) return fail(outcomeOf(connected, false));

  const WebSocketReceived hello = next(Clock::now() + limit);
  if (hello.wait != WebSocketWait::done) return lost(hello);
  const std::optional<ObsHello> greeting = readHello(hello.text);
  if (!greeting) return fail(ObsOutcome::notObsWebSocket);
  std::optional<std::string> authentication;
  if (greeting->authentication) {
    authentication =
        obsAuthentication(hashing_, password, greeting->authentication->salt, greeting->authentication->challenge);
    if (!authentication) return fail(ObsOutcome::hashingFailed);
  }
  const WebSocketWait sent = socket_.send(identifyMessage(authentication), limit);
  if (sent != WebSocketWait::done) return lost(ended(sent));

  // A refused password comes as the close of the connection (4009).
  const WebSocketReceived identified = next(Clock::now() + limit);
  if (identified.wait != WebSocketWait::done) return lost(identified);
  if (!isIdentified(identified.text)) return fail(ObsOutcome::notObsWebSocket);
  open_ = true;
  // The user set a password for an OBS that asks for none: it works, but
  // the user should know that anyone on the machine can drive that OBS.
  passwordNotAsked_ = !password.empty() && !greeting->authentication;
  ObsResult result;
  result.open = true;
  if (passwordNotAsked_) result.outcome = ObsOutcome::passwordNotAsked;
  return result;
}

ObsResult ObsConnection::setInputSetting(const std::string& source, const std::string& key, const std::string& value,
                                         Limit limit) {
  if (!open_) return ObsResult{ObsOutcome::nothingYet};
  const Clock::time_point until = Clock::now() + limit;
  const std::string requestId = std::to_string(nextRequest_++);
  const WebSocketWait sent = socket_.send(setInputSettingMessage(requestId, source, key, value), limit);
  if (sent != WebSocketWait::done) return lost(ended(sent));
  for (;;) {
    const WebSocketReceived received = next(until);
    if (received.wait != WebSocketWait::done) return lost(received);
    // Anything else OBS may send in between (it sends no events to a client
    // subscribed to none) is not the answer; what is no message of OBS's at
    // all ends the connection.
    const std::optional<ObsRequestAnswer> answer = readRequestAnswer(received.text);
    if (!answer && !isObsMessage(received.text)) return fail(ObsOutcome::notObsWebSocket);
    if (!answer || answer->requestId != requestId) continue;
    ObsResult result;
    result.open = true;
    result.code = answer->code;
    if (answer->result && answer->code == kObsRequestSucceeded) {
      result.outcome = passwordNotAsked_ ? ObsOutcome::textSetPasswordNotAsked : ObsOutcome::textSet;
    } else if (answer->code == kObsResourceNotFound) {
      result.outcome = ObsOutcome::noSource;
    } else {
      result.outcome = ObsOutcome::requestRefused;
    }
    return result;
  }
}

ObsResult ObsConnection::waitIdle(Limit limit) {
  if (!open_) return ObsResult{};
  const Clock::time_point until = Clock::now() + limit;
  for (;;) {
    const WebSocketReceived received = socket_.receive(remaining(until), true);
    if (received.wait == WebSocketWait::done) {
      if (isObsMessage(received.text)) continue;
      return fail(ObsOutcome::notObsWebSocket);
    }
    if (received.wait == WebSocketWait::timedOut || received.wait == WebSocketWait::interrupted) {
      ObsResult result;
      result.open = true;
      return result;
    }
    ObsResult result = lost(received);
    // OBS closing or going away between texts is no outcome of its own: the
    // next try to connect tells. A peer sending what OBS never sends is.
    if (result.outcome != ObsOutcome::notObsWebSocket) {
      result.outcome = ObsOutcome::nothingYet;
      result.code = 0;
    }
    return result;
  }
}

void ObsConnection::close(Limit limit) {
  socket_.close(limit);
  open_ = false;
}

}  // namespace tavrik
