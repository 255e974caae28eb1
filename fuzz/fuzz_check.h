// What the fuzz targets share: a failed property is reported and aborts, so
// that libFuzzer keeps the input that broke it; and the plain references the
// module's fast texts are held against.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {


inline void expect(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "property does not hold: %s\n", property);
  std::abort();
}

inline std::string_view bytesOf(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The input cut at NUL bytes into `count` texts; missing ones are empty.
inline std::vector<std::string> nulSeparated(std::string_view input, std::size_t count) {
  std::vector<std::string> parts(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t nul = i + 1 < count ? input.find('\0') : std::string_view::npos;
    parts[i] = std::string(input.substr(0, nul));
    if (nul == std::string_view::npos) break;
    input.remove_prefix(nul + 1);
  }
  return parts;
}

// Replace-all as defined: left to right, every non-overlapping occurrence,
// never looking into what was put in; an empty `from` finds nothing.
inline std::string plainReplace(const std::string& text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  std::string out;
  std::size_t at = 0;
  for (std::size_t hit; (hit = text.find(from, at)) != std::string::npos; at = hit + from.size()) {
    out += text.substr(at, hit - at);
    out += to;
  }
  return out + text.substr(at);
}

// "&", "<", ">" and the double quote as HTML entities.
inline std::string plainEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

inline std::string plainRemove(const std::string& text, std::string_view bytes) {
  std::string out;
  for (char c : text)
    if (bytes.find(c) == std::string_view::npos) out += c;
  return out;
}

}  // namespace fuzz
