// The obs-websocket 5 messages the output sends and reads (rpcVersion 1),
// built and read with nlohmann-json.
#pragma once

#include <optional>
#include <string>

namespace tavrik {

inline constexpr int kObsRpcVersion = 1;
inline constexpr const char* kObsSubprotocol = "obswebsocket.json";

// How deep a message may nest its arrays and objects: OBS's own go four
// levels deep. A deeper one is no message of OBS's and is not read.
inline constexpr int kObsMaxDepth = 32;

// obs-websocket's close and request status codes the output tells apart.
inline constexpr int kObsAuthenticationFailed = 4009;
inline constexpr int kObsRequestSucceeded = 100;
inline constexpr int kObsResourceNotFound = 600;

struct ObsChallenge {
  std::string challenge;
  std::string salt;
};

// Hello (op 0): OBS's first message; with a challenge when it wants a
// password.
struct ObsHello {
  std::optional<ObsChallenge> authentication;
};

// RequestResponse (op 7).
struct ObsRequestAnswer {
  std::string requestId;
  bool result = false;
  int code = 0;
};

// Each reader answers nothing for a message that is not the one it reads:
// not JSON, no object, nested deeper than kObsMaxDepth, of another
// operation, or without the fields it needs.
std::optional<ObsHello> readHello(const std::string& message);
// Identified (op 2).
bool isIdentified(const std::string& message);
std::optional<ObsRequestAnswer> readRequestAnswer(const std::string& message);
// Whether the text is an obs-websocket message at all (an object with an
// integer "op" and an object "d"), whatever its operation.
bool isObsMessage(const std::string& message);

// Identify (op 1), subscribed to no events, so that OBS sends nothing but
// answers.
std::string identifyMessage(const std::optional<std::string>& authentication);
// Request (op 6) SetInputSettings of one of the input's settings ("text" of
// a text source, "file" of an image source), its other settings kept.
// Ill-formed UTF-8 in the texts becomes U+FFFD.
std::string setInputSettingMessage(const std::string& requestId, const std::string& inputName, const std::string& key,
                                   const std::string& value);

}  // namespace tavrik
