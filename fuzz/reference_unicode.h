// Plain UTF-8 and UTF-16LE decoders the module's own are held against,
// written from the definitions rather than for speed. A well-formed UTF-8
// sequence is, by definition, what the textbook encoder makes of one scalar
// value (U+0000 to U+10FFFF, surrogates excluded); all of them are listed
// once, with every proper prefix, and an ill-formed part is replaced by one
// U+FFFD per maximal subpart: the longest run of bytes that still begins
// some well-formed sequence, or a single byte.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fuzz {

inline constexpr char16_t kReplacement = 0xFFFD;

inline bool isSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// The bytes of a code point, by the bit layout of each length; answers how
// many.
inline std::size_t textbookUtf8(char32_t c, unsigned char out[4]) {
  if (c < 0x80) {
    out[0] = static_cast<unsigned char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<unsigned char>(0xC0 | c >> 6);
    out[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<unsigned char>(0xE0 | c >> 12);
    out[1] = static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F));
    out[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<unsigned char>(0xF0 | c >> 18);
  out[1] = static_cast<unsigned char>(0x80 | (c >> 12 & 0x3F));
  out[2] = static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F));
  out[3] = static_cast<unsigned char>(0x80 | (c & 0x3F));
  return 4;
}

inline void appendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  }
}

// Every well-formed sequence with its scalar value, and every proper prefix
// of one, each keyed by its length and bytes.
class Utf8Table {
 public:
  Utf8Table() {
    sequences_.reserve(0x110000);
    std::uint64_t lastPrefix[4] = {};  // of each length, so that few repeat
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
      if (isSurrogate(c)) continue;
      unsigned char buffer[4];
      std::string_view bytes(reinterpret_cast<const char*>(buffer), textbookUtf8(c, buffer));
      sequences_.emplace_back(key(bytes), c);
      for (std::size_t length = 1; length < bytes.size(); ++length) {
        std::uint64_t prefix = key(bytes.substr(0, length));
        if (lastPrefix[length] != prefix) prefixes_.push_back(lastPrefix[length] = prefix);
      }
    }
    std::sort(sequences_.begin(), sequences_.end());
    std::sort(prefixes_.begin(), prefixes_.end());
    prefixes_.erase(std::unique(prefixes_.begin(), prefixes_.end()), prefixes_.end());
  }

  // The scalar value `bytes` encode, or -1 when they are no well-formed sequence.
  long scalarOf(std::string_view bytes) const {
    std::uint64_t k = key(bytes);
    auto found = std::lower_bound(sequences_.begin(), sequences_.end(), std::make_pair(k, char32_t{0}));
    return found != sequences_.end() && found->first == k ? static_cast<long>(found->second) : -1;
  }

  bool beginsSomeSequence(std::string_view bytes) const {
    return std::binary_search(prefixes_.begin(), prefixes_.end(), key(bytes));
  }

 private:
  static std::uint64_t key(std::string_view bytes) {
    std::uint64_t k = bytes.size();
    for (char b : bytes) k = k << 8 | static_cast<unsigned char>(b);
    return k << (8 * (4 - bytes.size()));
  }

  std::vector<std::pair<std::uint64_t, char32_t>> sequences_;
  std::vector<std::uint64_t> prefixes_;
};

inline const Utf8Table& utf8Table() {
  static const Utf8Table table;
  return table;
}

// `bytes` as UTF-16: at each place the one well-formed sequence that starts
// there, else U+FFFD for its maximal subpart. `wellFormed` tells whether no
// replacement was made.
inline std::u16string referenceDecodeUtf8(std::string_view bytes, bool* wellFormed = nullptr) {
  const Utf8Table& table = utf8Table();
  std::u16string out;
  bool clean = true;
  std::size_t i = 0;
  while (i < bytes.size()) {
    std::size_t length = 1;
    long scalar = -1;
    for (; length <= 4 && i + length <= bytes.size(); ++length) {
      if ((scalar = table.scalarOf(bytes.substr(i, length))) >= 0) break;
    }
    if (scalar >= 0) {
      appendUtf16(out, static_cast<char32_t>(scalar));
      i += length;
      continue;
    }
    std::size_t subpart = 0;
    while (i + subpart < bytes.size() && table.beginsSomeSequence(bytes.substr(i, subpart + 1))) ++subpart;
    out += kReplacement;
    clean = false;
    i += std::max<std::size_t>(subpart, 1);
  }
  if (wellFormed) *wellFormed = clean;
  return out;
}

// Little-endian units: a high surrogate followed by a low one is a pair;
// every other surrogate, and an odd last byte, is U+FFFD.
inline std::u16string referenceUnpairedReplaced(std::u16string_view units) {
  std::u16string out;
  for (std::size_t i = 0; i < units.size(); ++i) {
    char16_t unit = units[i];
    bool high = unit >= 0xD800 && unit <= 0xDBFF;
    if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      out += unit;
      out += units[++i];
    } else {
      out += isSurrogate(unit) ? kReplacement : unit;
    }
  }
  return out;
}

inline std::u16string unitsOfUtf16Le(std::string_view bytes) {
  std::u16string units;
  for (std::size_t i = 0; i + 2 <= bytes.size(); i += 2) {
    units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
  }
  return units;
}

inline std::u16string referenceDecodeUtf16Le(std::string_view bytes) {
  std::u16string out = referenceUnpairedReplaced(unitsOfUtf16Le(bytes));
  if (bytes.size() % 2 == 1) out += kReplacement;
  return out;
}

inline std::string utf16LeBytes(std::u16string_view text) {
  std::string out;
  for (char16_t unit : text) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  }
  return out;
}

// UTF-8 of UTF-16: pairs as one code point, lone surrogates as U+FFFD.
inline std::string referenceEncodeUtf8(std::u16string_view text) {
  std::u16string clean = referenceUnpairedReplaced(text);
  std::string out;
  for (std::size_t i = 0; i < clean.size(); ++i) {
    char32_t c = clean[i];
    if (isSurrogate(c)) c = 0x10000 + ((c - 0xD800) << 10) + (clean[++i] - 0xDC00);
    unsigned char buffer[4];
    out.append(reinterpret_cast<const char*>(buffer), textbookUtf8(c, buffer));
  }
  return out;
}

}  // namespace fuzz
