#include "caption/caption_settings.h"

namespace tavrik {
namespace {

// Decimal digits only, at most `digits` of them: what the user typed, read
// as Windows' GetPrivateProfileInt would not (it takes "12abc" as 12).
template <typename String>
std::optional<unsigned long> decimalOf(const String& text, std::size_t digits) {
  if (text.empty() || text.size() > digits) return std::nullopt;
  unsigned long value = 0;
  for (auto c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned long>(c - '0');
  }
  return value;
}

std::optional<unsigned long> decimalOf(const AnsiOrWide& text, std::size_t digits) {
  return text.isWide() ? decimalOf(text.wide(), digits) : decimalOf(text.ansi(), digits);
}

}  // namespace

std::optional<std::uint16_t> OverlayOutputSettings::portNumber() const {
  const std::optional<unsigned long> value = decimalOf(port, 5);
  if (!value || *value == 0 || *value > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(*value);
}

unsigned long secondsOf(const AnsiOrWide& text) { return decimalOf(text, 6).value_or(0); }

unsigned long OverlayOutputSettings::showForSeconds() const { return secondsOf(showFor); }

}  // namespace tavrik
