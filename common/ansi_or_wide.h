// A text as an outside component handed it over: bytes in the ANSI code
// page, the only kind older hosts and tag libraries give, or UTF-16 from
// their wide entries. One kind becomes the other only through the code page
// (code_page.h), never by accident.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace tavrik {

class AnsiOrWide {
 public:
  AnsiOrWide() = default;  // the empty ANSI text
  AnsiOrWide(std::string ansi) : text_(std::move(ansi)) {}
  AnsiOrWide(const char* ansi) : text_(std::string(ansi)) {}
  AnsiOrWide(std::u16string wide) : text_(std::move(wide)) {}
  AnsiOrWide(const char16_t* wide) : text_(std::u16string(wide)) {}

  bool isWide() const { return text_.index() == 1; }
  bool empty() const { return isWide() ? wide().empty() : ansi().empty(); }
  // The text of its own kind; asking an ANSI text for UTF-16, or the other
  // way round, throws.
  const std::string& ansi() const { return std::get<std::string>(text_); }
  const std::u16string& wide() const { return std::get<std::u16string>(text_); }

  // Equal when of one kind with the same units. The empty text is one text,
  // whichever kind it came as.
  friend bool operator==(const AnsiOrWide& a, const AnsiOrWide& b) {
    return a.text_ == b.text_ || (a.empty() && b.empty());
  }
  friend bool operator!=(const AnsiOrWide& a, const AnsiOrWide& b) { return !(a == b); }

 private:
  std::variant<std::string, std::u16string> text_;
};

// True when `text` holds exactly the ASCII characters of `ascii`, of either
// kind.
bool equalsAscii(const AnsiOrWide& text, const char* ascii);

// The ASCII characters of `ascii` as UTF-16.
std::u16string widenAscii(const char* ascii);

}  // namespace tavrik
