// UTF-8 and UTF-16LE bytes to and from UTF-16 texts, for files that carry a
// byte-order mark and for wide texts other components own. Pure functions
// over bytes: whatever the input, the result is defined and nothing is read
// past it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavrik {

inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
inline constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
inline constexpr char16_t kReplacementCharacter = 0xFFFD;

// The two halves of a character beyond U+FFFF in UTF-16: a high surrogate
// and the low one right after it. Either may stand alone in a file name.
constexpr bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Every ill-formed sequence (a stray continuation byte, an overlong form, a
// surrogate, a value above U+10FFFF, a sequence cut short) becomes one
// U+FFFD per maximal part, as the Unicode standard recommends. When
// `wellFormed` is given, it tells whether nothing had to be replaced.
std::u16string decodeUtf8(std::string_view bytes, bool* wellFormed = nullptr);

bool isWellFormedUtf8(std::string_view bytes);

// Little-endian code units; an odd last byte and every unpaired surrogate
// become U+FFFD.
std::u16string decodeUtf16Le(std::string_view bytes);

// Little-endian code units as they are, unpaired surrogates included, as
// Windows keeps them in file names; an odd last byte is dropped.
std::u16string utf16LeUnits(std::string_view bytes);

// Every unpaired surrogate becomes U+FFFD.
std::u16string withoutUnpairedSurrogates(std::u16string_view text);

// UTF-8 bytes of `text`; an unpaired surrogate is written as U+FFFD.
std::string encodeUtf8(std::u16string_view text);

// Little-endian bytes of `text`'s code units, as they are.
std::string encodeUtf16Le(std::u16string_view text);

// A copy of a NUL-terminated wide text that another component owns, read up
// to its terminator but never past `limit` units: a text without a
// terminator that near is cut at `limit`.
std::u16string copyWideText(const char16_t* text, std::size_t limit);

}  // namespace tavrik
