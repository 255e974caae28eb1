#include "obs/obs_messages.h"

#include <nlohmann/json.hpp>

namespace tavrik {
namespace {

using Json = nlohmann::json;
// Keys in the order the protocol's documentation writes them, for whoever
// reads them in OBS's log.
using OrderedJson = nlohmann::ordered_json;

// Counted on the bytes, before anything is parsed: brackets inside strings
// do not count. A deep message would cost a parse tree as deep, and
// nlohmann's copies and comparisons recurse.
bool nestedDeeperThan(const std::string& text, int limit) {
  int depth = 0;
  bool inString = false, escaped = false;
  for (const char c : text) {
    if (inString) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > limit) return true;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return false;
}

// The whole message when it is an obs-websocket one: an object with an
// integer "op" and an object "d".
std::optional<Json> parsed(const std::string& message) {
  if (nestedDeeperThan(message, kObsMaxDepth)) return std::nullopt;
  Json json = Json::parse(message, nullptr, false);
  if (!json.is_object()) return std::nullopt;
  const auto op = json.find("op");
  const auto data = json.find("d");
  if (op == json.end() || !op->is_number_integer()) return std::nullopt;
  if (data == json.end() || !data->is_object()) return std::nullopt;
  return json;
}

// The "d" of a message of operation `op`, read in place: never copied.
const Json* dataOf(const std::optional<Json>& message, int op) {
  if (!message || message->at("op") != op) return nullptr;
  return &message->at("d");
}

std::optional<std::string> stringField(const Json& object, const char* key) {
  const auto field = object.find(key);
  if (field == object.end() || !field->is_string()) return std::nullopt;
  return field->get<std::string>();
}

std::string dump(const OrderedJson& json) {
  return json.dump(-1, ' ', false, OrderedJson::error_handler_t::replace);
}

}  // namespace

std::optional<ObsHello> readHello(const std::string& message) {
  const std::optional<Json> whole = parsed(message);
  const Json* data = dataOf(whole, 0);
  if (!data) return std::nullopt;
  ObsHello hello;
  const auto authentication = data->find("authentication");
  if (authentication != data->end()) {
    if (!authentication->is_object()) return std::nullopt;
    std::optional<std::string> challenge = stringField(*authentication, "challenge");
    std::optional<std::string> salt = stringField(*authentication, "salt");
    if (!challenge || !salt) return std::nullopt;
    hello.authentication = ObsChallenge{std::move(*challenge), std::move(*salt)};
  }
  return hello;
}

bool isIdentified(const std::string& message) { return dataOf(parsed(message), 2) != nullptr; }

bool isObsMessage(const std::string& message) { return parsed(message).has_value(); }

std::optional<ObsRequestAnswer> readRequestAnswer(const std::string& message) {
  const std::optional<Json> whole = parsed(message);
  const Json* data = dataOf(whole, 7);
  if (!data) return std::nullopt;
  std::optional<std::string> requestId = stringField(*data, "requestId");
  const auto status = data->find("requestStatus");
  if (!requestId || status == data->end() || !status->is_object()) return std::nullopt;
  const auto result = status->find("result");
  const auto code = status->find("code");
  if (result == status->end() || !result->is_boolean() || code == status->end() || !code->is_number_integer())
    return std::nullopt;
  ObsRequestAnswer answer;
  answer.requestId = std::move(*requestId);
  answer.result = result->get<bool>();
  // Codes are small; anything outside int's range is no code OBS sends.
  const long long value = code->get<long long>();
  answer.code = value < 0 || value > 99999 ? -1 : static_cast<int>(value);
  return answer;
}

std::string identifyMessage(const std::optional<std::string>& authentication) {
  OrderedJson data = {{"rpcVersion", kObsRpcVersion}};
  if (authentication) data["authentication"] = *authentication;
  data["eventSubscriptions"] = 0;
  return dump({{"op", 1}, {"d", data}});
}

std::string setInputSettingMessage(const std::string& requestId, const std::string& inputName, const std::string& key,
                                   const std::string& value) {
  const OrderedJson request = {
      {"op", 6},
      {"d",
       {{"requestType", "SetInputSettings"},
        {"requestId", requestId},
        {"requestData", {{"inputName", inputName}, {"inputSettings", {{key, value}}}}}}}};
  return dump(request);
}

}  // namespace tavrik
