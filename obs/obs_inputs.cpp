#include "obs/obs_inputs.h"

namespace tavrik {

void ObsInputs::name(std::string textSource, std::string coverSource) {
  textSource_ = std::move(textSource);
  coverSource_ = std::move(coverSource);
  sendAllAgain();
}

void ObsInputs::hand(Value& input, std::string value) {
  input.value = std::move(value);
  ++input.generation;
}

std::optional<ObsInputs::Request> ObsInputs::next() {
  struct Input {
    Value* value;
    const std::string* name;
    const char* key;
  };
  for (const Input& input : {Input{&text_, &textSource_, "text"}, Input{&cover_, &coverSource_, "file"}}) {
    Value& v = *input.value;
    if (input.name->empty() || !v.value || v.generation == v.sent) continue;
    return Request{&v, *input.name, input.key, *v.value, v.generation};
  }
  return std::nullopt;
}

void ObsInputs::answered(const Request& request, bool missing) {
  request.input->sent = request.generation;
  request.input->missing = missing;
}

void ObsInputs::sendAllAgain() {
  for (Value* input : {&text_, &cover_}) {
    input->sent = 0;
    input->missing = false;
  }
}

void ObsInputs::sendMissingAgain() {
  for (Value* input : {&text_, &cover_}) {
    if (input->missing) input->sent = 0;
  }
}

}  // namespace tavrik
