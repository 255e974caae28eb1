#include "obs_fakes.h"

#include "obs/obs_hashing.h"

namespace tavrik::testing {

WebSocketWait FakeObs::connect(const std::string& host, std::uint16_t port, const std::string& subprotocol) {
  std::lock_guard<std::mutex> lock(mutex_);
  connects_.push_back(Connect{host, port, subprotocol});
  changed_.notify_all();
  if (interrupted_) {
    sawInterrupt_ = true;
    return WebSocketWait::interrupted;
  }
  if (!running_) return WebSocketWait::failed;
  if (connectAnswer_ != WebSocketWait::done) return connectAnswer_;
  connected_ = true;
  identified_ = false;
  inbox_.clear();
  Json hello = {{"op", 0}, {"d", {{"obsWebSocketVersion", "5.1.0"}, {"rpcVersion", 1}}}};
  if (!password_.empty()) hello["d"]["authentication"] = {{"challenge", challenge}, {"salt", salt}};
  if (!silent_) inbox_.push_back(Frame{false, 0, hello_.empty() ? hello.dump() : hello_});
  return WebSocketWait::done;
}

WebSocketWait FakeObs::send(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  sent_.push_back(text);
  changed_.notify_all();
  if (interrupted_) {
    sawInterrupt_ = true;
    return WebSocketWait::interrupted;
  }
  if (!connected_) return WebSocketWait::failed;
  if (silent_) return WebSocketWait::done;
  const Json message = Json::parse(text);
  if (message.at("op") == 1) {
    const Json& data = message.at("d");
    if (!password_.empty() &&
        (!data.contains("authentication") ||
         data.at("authentication") != obsAuthentication(OpenSslHashing(), password_, salt, challenge).value_or(""))) {
      inbox_.push_back(Frame{true, 4009, "Authentication failed."});
    } else {
      identified_ = true;
      inbox_.push_back(Frame{false, 0, Json({{"op", 2}, {"d", {{"negotiatedRpcVersion", 1}}}}).dump()});
    }
  } else if (message.at("op") == 6 && identified_) {
    if (holdAnswers_) {
      heldRequests_.push_back(message.at("d"));
    } else {
      answer(message.at("d"));
    }
  }
  return WebSocketWait::done;
}

void FakeObs::answer(const Json& request) {
  const std::string input = request.at("requestData").at("inputName");
  requestedInputs_.push_back(input);
  Json status = {{"result", true}, {"code", 100}};
  if (inputs_.count(input)) {
    const Json& settings = request.at("requestData").at("inputSettings");
    if (settings.contains("text")) texts_.push_back(settings.at("text"));
    if (settings.contains("file")) files_.push_back(input + ": " + settings.at("file").get<std::string>());
  } else {
    status = {{"result", false}, {"code", 600}, {"comment", "No source was found by the name of `" + input + "`."}};
  }
  inbox_.push_back(Frame{false, 0,
                         Json({{"op", 7},
                               {"d",
                                {{"requestType", request.at("requestType")},
                                 {"requestId", request.at("requestId")},
                                 {"requestStatus", status}}}})
                             .dump()});
}

void FakeObs::holdAnswers(bool hold) {
  change([&] {
    holdAnswers_ = hold;
    if (hold) return;
    for (const Json& request : heldRequests_) answer(request);
    heldRequests_.clear();
  });
}

WebSocketReceived FakeObs::receive(std::chrono::milliseconds limit, bool wakeable) {
  std::unique_lock<std::mutex> lock(mutex_);
  WebSocketReceived received;
  auto news = [&] { return interrupted_ || (wakeable && woken_) || !inbox_.empty() || !connected_; };
  // A hung OBS keeps the receive waiting for real; otherwise silence takes
  // the whole limit at once.
  if (!news() && heldRequests_.empty() && limit < std::chrono::seconds(10)) {
    if (timing_) timing_->skip(limit);
    if (wakeable) idleLimits_.push_back(limit);
    received.wait = WebSocketWait::timedOut;
    return received;
  }
  if (!changed_.wait_for(lock, std::chrono::seconds(10), news)) {
    stalled_ = true;
    received.wait = WebSocketWait::timedOut;
    return received;
  }
  if (interrupted_) {
    sawInterrupt_ = true;
    received.wait = WebSocketWait::interrupted;
  } else if (wakeable && woken_) {
    woken_ = false;
    received.wait = WebSocketWait::interrupted;
  } else if (!inbox_.empty()) {
    Frame frame = inbox_.front();
    inbox_.pop_front();
    if (frame.wait != WebSocketWait::done) {
      connected_ = false;
      received.wait = frame.wait;
    } else if (frame.close) {
      connected_ = false;
      received.wait = WebSocketWait::closed;
      received.closeCode = frame.code;
    } else {
      received.wait = WebSocketWait::done;
      received.text = frame.text;
    }
  } else {
    received.wait = WebSocketWait::failed;
  }
  changed_.notify_all();
  return received;
}

void FakeObs::close() {
  change([&] {
    ++closes_;
    connected_ = false;
    identified_ = false;
    inbox_.clear();
    heldRequests_.clear();
  });
}

}  // namespace tavrik::testing
