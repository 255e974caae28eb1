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

}  // namespace
}  // namespace tavrik
