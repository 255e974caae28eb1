#include "common/text.h"

#include <gtest/gtest.h>

namespace tavrik {
namespace {

TEST(ReplaceAll, ReplacesEveryOccurrenceLeftToRightWithoutRescanning) {
  EXPECT_EQ(replaceAll("a#Xb#Xc", "#X", "1"), "a1b1c");
  EXPECT_EQ(replaceAll("aaaa", "aa", "b"), "bb");             // non-overlapping
  EXPECT_EQ(replaceAll("aaa", "a", "aa"), "aaaaaa");          // inserted text is not scanned again
  EXPECT_EQ(replaceAll("#A#A", "#A", "#A#A"), "#A#A#A#A");
  EXPECT_EQ(replaceAll("x\r\ny", "\r\n", ""), "xy");          // empty replacement removes
  EXPECT_EQ(replaceAll("none here", "#", "!"), "none here");
  EXPECT_EQ(replaceAll("", "a", "b"), "");
  EXPECT_EQ(replaceAll("abc", "", "x"), "abc");               // nothing to look for
}

TEST(ReplaceAll, WorksOnBytesIncludingNulAndHighBytes) {
  std::string text("a\0b\x83\x5C" "c", 6);
  EXPECT_EQ(replaceAll(text, std::string("\0", 1), "-"), "a-b\x83\x5C" "c");
  EXPECT_EQ(replaceAll(text, "\x5C", "/"), std::string("a\0b\x83/c", 6));
}

TEST(ReplaceAll, HandlesManyOccurrencesInALargeText) {
  // 100,000 placeholders in a 1 MiB text: a quadratic approach would take
  // minutes here; this finishes at once and must still be exact.
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "#TITLE";
  text.resize(1 << 20, '.');
  std::string result = replaceAll(text, "#TITLE", "T");
  EXPECT_EQ(result.size(), (1u << 20) - 100000u * 5u);
  EXPECT_EQ(result.substr(0, 3), "TTT");
  EXPECT_EQ(result.find('#'), std::string::npos);
}

TEST(RemoveBytes, RemovesEveryListedByte) {
  std::string text = "x\r\ny\tz\r";
  removeBytes(text, "\r\n\t");
  EXPECT_EQ(text, "xyz");
  std::string untouched = "plain";
  removeBytes(untouched, "\r\n\t");
  EXPECT_EQ(untouched, "plain");
}

}  // namespace
}  // namespace tavrik

namespace tavrik {
namespace {

// The word-at-a-time removal against the obvious byte loop, on texts where the
// removed bytes fall at every position of an eight-byte word.
TEST(RemoveBytes, AgreesWithAByteLoopOnRandomTexts) {
  const std::string alphabet("ab\r\n\t\x80\xff\0", 8);
  const std::string sets[] = {"\r\n\t", "\n", std::string("\0", 1), "ab\r\n\t", "\x80\xff"};
  unsigned seed = 7;
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    std::size_t length = (seed = seed * 1103515245 + 12345) % 70;
    for (std::size_t i = 0; i < length; ++i) {
      text += alphabet[(seed = seed * 1103515245 + 12345) >> 16 & 7];
    }
    for (const std::string& set : sets) {
      std::string expected;
      for (char c : text)
        if (set.find(c) == std::string::npos) expected += c;
      std::string actual = text;
      removeBytes(actual, set);
      ASSERT_EQ(actual, expected) << round;
    }
  }
}

}  // namespace
}  // namespace tavrik
