// The text of a settings file in the form Windows' profile functions
// (GetPrivateProfileString) read: "[section]" lines, then "key=value" lines;
// names compared without regard to ASCII case, blanks around keys and values
// ignored, one pair of quotes around a value taken away. Works on the file's
// own units, ANSI bytes or UTF-16, so that a line it does not change stays
// exactly as it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavrik {

template <typename Char>
class ProfileText {
 public:
  using String = std::basic_string<Char>;

  explicit ProfileText(String text = String()) : text_(std::move(text)) {}

  // The value of `key` in the first section named `section`, as the profile
  // functions read it; nothing when there is no such key there.
  std::optional<String> value(std::string_view section, std::string_view key) const;

  // Sets `key` in the first section named `section`: its line rewritten in
  // place, or a new line after the section's last one, or a new section at
  // the end. A value the profile functions would read otherwise (blanks at
  // either end, a pair of quotes around it) is written within quotes.
  void setValue(std::string_view section, std::string_view key, const String& value);

  const String& text() const { return text_; }

 private:
  String text_;
};

extern template class ProfileText<char>;
extern template class ProfileText<char16_t>;

}  // namespace tavrik
