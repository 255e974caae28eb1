#include "obs/obs_address.h"

namespace tavrik {
namespace {

std::optional<std::uint16_t> parsePort(const std::string& digits) {
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  unsigned long value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned long>(c - '0');
  }
  if (value < 1 || value > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

// A host name or address may hold no character that would change the URL
// WinHTTP builds from it.
bool isPlainHost(const std::string& host) {
  if (host.empty()) return false;
  for (unsigned char c : host) {
    if (c <= ' ' || c == '/' || c == '\\' || c == '?' || c == '#' || c == '@' || c == '[' || c == ']' || c == 0x7F)
      return false;
  }
  return true;
}

}  // namespace

std::optional<ObsAddress> parseObsAddress(const std::string& text) {
  ObsAddress address;
  std::string rest;
  if (!text.empty() && text[0] == '[') {
    const std::size_t close = text.find(']');
    if (close == std::string::npos) return std::nullopt;
    address.host = text.substr(1, close - 1);
    if (address.host.empty() || address.host.find_first_not_of("0123456789abcdefABCDEF:.") != std::string::npos)
      return std::nullopt;
    rest = text.substr(close + 1);
    if (!rest.empty() && rest[0] != ':') return std::nullopt;
  } else {
    const std::size_t colon = text.find(':');
    address.host = text.substr(0, colon);
    if (!isPlainHost(address.host)) return std::nullopt;
    if (colon != std::string::npos) rest = text.substr(colon);
  }
  if (!rest.empty()) {
    const std::optional<std::uint16_t> port = parsePort(rest.substr(1));
    if (!port) return std::nullopt;
    address.port = *port;
  }
  return address;
}

}  // namespace tavrik
