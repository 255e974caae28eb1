#include "common/unicode_codec.h"

#include <gtest/gtest.h>

#include <random>

namespace tavrik {
namespace {

TEST(DecodeUtf8, WellFormedTextOfEveryLength) {
  bool wellFormed = false;
  // 1 to 4 bytes: "a", "é", "♡", an emoji (a surrogate pair in UTF-16).
  EXPECT_EQ(decodeUtf8("a\xC3\xA9\xE2\x99\xA1\xF0\x9F\x8E\xB5", &wellFormed), u"a\u00E9\u2661\U0001F3B5");
  EXPECT_TRUE(wellFormed);
  // The edges of the ranges: U+0080, U+07FF, U+0800, U+FFFF, U+10000, U+10FFFF.
  EXPECT_EQ(decodeUtf8("\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"),
            u"\u0080\u07FF\u0800\uFFFF\U00010000\U0010FFFF");
  // A U+FFFD that the text holds is no sign of damage.
  EXPECT_TRUE(isWellFormedUtf8("\xEF\xBF\xBD"));
  EXPECT_TRUE(isWellFormedUtf8(""));
}

TEST(DecodeUtf8, EachIllFormedPartBecomesOneReplacementCharacter) {
  struct Case {
    const char* bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {"\x80", u"\uFFFD"},                          // a continuation byte alone
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                // an overlong "/"
      {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},      // an overlong three-byte form
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},      // a surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      {"\xF5\xFF", u"\uFFFD\uFFFD"},                // bytes that never start anything
      {"\xE2\x99x", u"\uFFFDx"},                    // cut short by another character
      {"a\xF0\x9F\x8E", u"a\uFFFD"},                // cut short by the end
  };
  for (const Case& c : cases) {
    bool wellFormed = true;
    EXPECT_EQ(decodeUtf8(c.bytes, &wellFormed), c.text) << c.bytes;
    EXPECT_FALSE(wellFormed) << c.bytes;
  }
}

TEST(DecodeUtf16Le, UnitsPairsAndDamage) {
  EXPECT_EQ(decodeUtf16Le(std::string("a\0\x61\x26\x3C\xD8\xB5\xDF", 8)), u"a\u2661\U0001F3B5");
  // An odd last byte is half a unit; a lone or reversed surrogate is no character.
  EXPECT_EQ(decodeUtf16Le(std::string("a\0b", 3)), u"a\uFFFD");
  EXPECT_EQ(decodeUtf16Le(std::string("\x3C\xD8" "a\0\xB5\xDF\x3C\xD8", 8)), u"\uFFFDa\uFFFD\uFFFD");
  EXPECT_EQ(decodeUtf16Le(""), u"");
}

TEST(EncodeUtf8, IsTheInverseOfDecodingAndReplacesLoneSurrogates) {
  EXPECT_EQ(encodeUtf8(u"a\u00E9\u2661\U0001F3B5"), "a\xC3\xA9\xE2\x99\xA1\xF0\x9F\x8E\xB5");
  const char16_t lone[] = {u'a', 0xDC00, 0xD800, 0};
  EXPECT_EQ(encodeUtf8(lone), "a\xEF\xBF\xBD\xEF\xBF\xBD");
  // Any UTF-16 without lone surrogates goes there and back unchanged.
  std::mt19937 random(12);
  for (int round = 0; round < 200; ++round) {
    std::u16string text;
    for (int i = 0; i < 40; ++i) {
      auto unit = static_cast<char16_t>(random() % 0x10000);
      text += unit;
    }
    std::u16string clean = withoutUnpairedSurrogates(text);
    bool wellFormed = false;
    EXPECT_EQ(decodeUtf8(encodeUtf8(clean), &wellFormed), clean);
    EXPECT_TRUE(wellFormed);
  }
}

TEST(CopyWideText, StopsAtTheTerminatorOrTheLimit) {
  const char16_t text[] = u"abc\0def";
  EXPECT_EQ(copyWideText(text, 100), u"abc");
  EXPECT_EQ(copyWideText(text, 2), u"ab");
  EXPECT_EQ(copyWideText(nullptr, 100), u"");
  // Never a unit past the limit: the fifth unit here is not even there.
  const char16_t four[4] = {u'w', u'x', u'y', u'z'};
  EXPECT_EQ(copyWideText(four, 4), u"wxyz");
}

}  // namespace
}  // namespace tavrik
