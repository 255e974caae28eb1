// What the OBS output is to set in OBS: the caption's text into the text
// source and the cover file into the image source, each the newest value
// handed over, and what OBS has had of it on this connection. Kept under
// the output's lock.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tavrik {

class ObsInputs {
 public:
  // One input's newest value; OBS has not had it while its generation is
  // not the one sent. `missing` while OBS had no input of that name.
  struct Value {
    std::optional<std::string> value;
    std::uint64_t generation = 0;
    std::uint64_t sent = 0;
    bool missing = false;
  };
  // The next value to send: which input, which of its settings, what.
  struct Request {
    Value* input = nullptr;
    std::string name;
    const char* key = "";
    std::string value;
    std::uint64_t generation = 0;
  };

  // The inputs' names as the settings give them; empty: not set.
  void name(std::string textSource, std::string coverSource);
  bool hasTextSource() const { return !textSource_.empty(); }
  void handText(std::string text) { hand(text_, std::move(text)); }
  void handCoverFile(std::string path) { hand(cover_, std::move(path)); }

  // The text first: it is what a caption is for.
  std::optional<Request> next();
  bool isCover(const Request& request) const { return request.input == &cover_; }
  // OBS answered `request`: `missing` when it had no such input.
  void answered(const Request& request, bool missing);
  bool anyMissing() const { return text_.missing || cover_.missing; }
  // A new connection: OBS may never have seen a thing.
  void sendAllAgain();
  // A retry: what OBS had no input for is asked again.
  void sendMissingAgain();

 private:
  static void hand(Value& input, std::string value);

  std::string textSource_;
  std::string coverSource_;
  Value text_;
  Value cover_;
};

}  // namespace tavrik
