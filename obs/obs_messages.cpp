#include "obs/obs_messages.h"

#include <nlohmann/json.hpp>

namespace tavrik {
namespace {

using Json = nlohmann::json;
// Keys in the order the protocol's documentation writes them, for whoever
// reads them in OBS's log.
using OrderedJson = nlohmann::ordered_json;

// The message's "d" when it is an object of operation `op`.
std::optional<Json> dataOf(const std::string& message, int op) {
  Json json = Json::parse(message, nullptr, false);
  if (!json.is_object()) return std::nullopt;
  const auto opField = json.find("op");
  const auto data = json.find("d");
  if (opField == json.end() || !opField->is_number_integer() || *opField != op) return std::nullopt;
  if (data == json.end() || !data->is_object()) return std::nullopt;
  return *data;
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
  const std::optional<Json> data = dataOf(message, 0);
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

bool isIdentified(const std::string& message) { return dataOf(message, 2).has_value(); }

std::optional<ObsRequestAnswer> readRequestAnswer(const std::string& message) {
  const std::optional<Json> data = dataOf(message, 7);
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

std::string setInputTextMessage(const std::string& requestId, const std::string& inputName, const std::string& text) {
  const OrderedJson request = {
      {"op", 6},
      {"d",
       {{"requestType", "SetInputSettings"},
        {"requestId", requestId},
        {"requestData", {{"inputName", inputName}, {"inputSettings", {{"text", text}}}}}}}};
  return dump(request);
}

}  // namespace tavrik
