#include "common/unicode_codec.h"

namespace tavrik {

namespace {

void appendCodePoint(std::u16string& out, char32_t codePoint) {
  if (codePoint < 0x10000) {
    out += static_cast<char16_t>(codePoint);
    return;
  }
  codePoint -= 0x10000;
  out += static_cast<char16_t>(0xD800 + (codePoint >> 10));
  out += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
}

// How a well-formed sequence may start: its length and the range of its
// second byte (the others are all 80..BF). Length 0: no sequence starts so.
struct LeadByte {
  int length;
  unsigned char secondLow, secondHigh;
};

LeadByte leadByte(unsigned char byte) {
  if (byte < 0x80) return {1, 0, 0};
  if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF};
  if (byte == 0xE0) return {3, 0xA0, 0xBF};
  if (byte == 0xED) return {3, 0x80, 0x9F};  // no surrogates
  if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF};
  if (byte == 0xF0) return {4, 0x90, 0xBF};
  if (byte == 0xF4) return {4, 0x80, 0x8F};  // nothing above U+10FFFF
  if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF};
  return {0, 0, 0};
}

}  // namespace

std::u16string decodeUtf8(std::string_view bytes, bool* wellFormed) {
  std::u16string out;
  out.reserve(bytes.size());
  bool clean = true;
  std::size_t i = 0;
  while (i < bytes.size()) {
    auto byte = static_cast<unsigned char>(bytes[i]);
    LeadByte lead = leadByte(byte);
    if (lead.length == 1) {
      out += static_cast<char16_t>(byte);
      ++i;
      continue;
    }
    // Take continuation bytes while they fit; a sequence that stops short
    // is replaced as a whole, and decoding goes on at the byte that broke it.
    char32_t codePoint = lead.length == 0 ? 0 : byte & (0x7F >> lead.length);
    int taken = 1;
    while (taken < lead.length && i + taken < bytes.size()) {
      auto next = static_cast<unsigned char>(bytes[i + taken]);
      unsigned char low = taken == 1 ? lead.secondLow : 0x80;
      unsigned char high = taken == 1 ? lead.secondHigh : 0xBF;
      if (next < low || next > high) break;
      codePoint = codePoint << 6 | (next & 0x3F);
      ++taken;
    }
    if (lead.length != 0 && taken == lead.length) {
      appendCodePoint(out, codePoint);
    } else {
      out += kReplacementCharacter;
      clean = false;
    }
    i += taken;
  }
  if (wellFormed) *wellFormed = clean;
  return out;
}

bool isWellFormedUtf8(std::string_view bytes) {
  bool wellFormed = false;
  decodeUtf8(bytes, &wellFormed);
  return wellFormed;
}

std::u16string utf16LeUnits(std::string_view bytes) {
  std::u16string units;
  units.reserve(bytes.size() / 2 + 1);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                   static_cast<unsigned char>(bytes[i + 1]) << 8);
  }
  return units;
}

std::u16string decodeUtf16Le(std::string_view bytes) {
  std::u16string text = withoutUnpairedSurrogates(utf16LeUnits(bytes));
  if (bytes.size() % 2 != 0) text += kReplacementCharacter;  // half a unit
  return text;
}

std::u16string withoutUnpairedSurrogates(std::u16string_view text) {
  std::u16string out(text);
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (isHighSurrogate(out[i]) && i + 1 < out.size() && isLowSurrogate(out[i + 1])) {
      ++i;
    } else if (isHighSurrogate(out[i]) || isLowSurrogate(out[i])) {
      out[i] = kReplacementCharacter;
    }
  }
  return out;
}

std::string encodeUtf16Le(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char16_t unit : text) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  }
  return out;
}

std::string encodeUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t codePoint = text[i];
    if (isHighSurrogate(codePoint) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
      codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (isHighSurrogate(codePoint) || isLowSurrogate(codePoint)) {
      codePoint = kReplacementCharacter;
    }
    if (codePoint < 0x80) {
      out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
      out += static_cast<char>(0xC0 | codePoint >> 6);
      out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
      out += static_cast<char>(0xE0 | codePoint >> 12);
      out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | codePoint >> 18);
      out += static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
  }
  return out;
}

std::u16string copyWideText(const char16_t* text, std::size_t limit) {
  if (!text) return {};
  std::size_t length = 0;
  while (length < limit && text[length] != 0) ++length;
  return std::u16string(text, length);
}

}  // namespace tavrik
