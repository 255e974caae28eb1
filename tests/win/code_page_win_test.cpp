// The ANSI code page adapter on the real code page 932.
#include <gtest/gtest.h>
#include <windows.h>

#include "common/code_page_win32.h"

namespace tavrik {
namespace {

TEST(Win32CodePage, HoldsOnlyWhatComesBackUnchanged) {
  ASSERT_EQ(GetACP(), 932u);
  Win32CodePage codePage;
  EXPECT_EQ(codePage.toAnsiExactly(u"\u30C6\u30B9\u30C8 \u8868"), "\x83\x65\x83\x58\x83\x67 \x95\x5c");
  EXPECT_EQ(codePage.toAnsiExactly(u""), "");
  // A look-alike ("e" for "é") is no hold, nor is "?" for Hangul, "♡" or an emoji.
  for (const char16_t* beyond : {u"Beyonc\u00E9", u"\uD55C", u"\u2661", u"\U0001F3B5"}) {
    EXPECT_EQ(codePage.toAnsiExactly(beyond), std::nullopt);
  }
  const char16_t lone[] = {u'a', 0xD800, 0};
  EXPECT_EQ(codePage.toAnsiExactly(lone), std::nullopt);
  EXPECT_EQ(codePage.toWide("\x83\x65\x83\x58\x83\x67 \x95\x5c"), u"\u30C6\u30B9\u30C8 \u8868");
  EXPECT_EQ(codePage.toWide(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
  EXPECT_EQ(codePage.toWide(""), u"");
}

}  // namespace
}  // namespace tavrik
