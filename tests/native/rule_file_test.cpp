#include "rules/rule_file.h"

#include <gtest/gtest.h>

namespace tavrik {
namespace {

TemplateRule rule(std::string type, std::string value, std::string path) {
  return {std::move(type), std::move(value), std::move(path)};
}

std::vector<TemplateRule> rulesOf(std::string_view bytes) {
  return parseRuleFile(bytes).rules.rules();
}

TEST(RuleFileRead, SplitsLinesAtTheirFirstTwoTabs) {
  EXPECT_EQ(rulesOf("ARTIST\tSome Band\tC:\\html\\band.html\r\nGENRE\tJazz\tC:\\html\\jazz.html\r\n"),
            (std::vector<TemplateRule>{rule("ARTIST", "Some Band", "C:\\html\\band.html"),
                                       rule("GENRE", "Jazz", "C:\\html\\jazz.html")}));
  EXPECT_EQ(splitRuleLine("A\tB\tC\tD\tE"), rule("A", "B", "C\tD\tE"));  // further TABs stay in the path
  EXPECT_EQ(splitRuleLine("\t\t"), rule("", "", ""));
  EXPECT_EQ(splitRuleLine("TITLE\t\tp"), rule("TITLE", "", "p"));
}

TEST(RuleFileRead, TabMissingCountsAsMinusOne) {
  EXPECT_EQ(splitRuleLine("C:\\only\\a\\path.html"), rule("", "", "C:\\only\\a\\path.html"));
  EXPECT_EQ(splitRuleLine("ARTIST\tvalue"), rule("ARTIST", "", "ARTIST\tvalue"));
  EXPECT_EQ(splitRuleLine("\tx"), rule("", "", "\tx"));
}

TEST(RuleFileRead, LineEndsFollowTextMode) {
  // LF ends a line; only the CR right before it is dropped.
  EXPECT_EQ(rulesOf("a\tb\tc\nd\te\tf\r\n"),
            (std::vector<TemplateRule>{rule("a", "b", "c"), rule("d", "e", "f")}));
  EXPECT_EQ(rulesOf("a\tb\tc\r\r\n"), (std::vector<TemplateRule>{rule("a", "b", "c\r")}));
  EXPECT_EQ(rulesOf("a\rb\tc\rd\te\r"), (std::vector<TemplateRule>{rule("a\rb", "c\rd", "e\r")}));
  // The last line counts without a line end.
  EXPECT_EQ(rulesOf("a\tb\tc\r\nx\ty\tz"),
            (std::vector<TemplateRule>{rule("a", "b", "c"), rule("x", "y", "z")}));
  EXPECT_TRUE(rulesOf("").empty());
}

TEST(RuleFileRead, TheFirstEmptyLineEndsTheListAndTheRestIsKept) {
  ParsedRuleFile parsed = parseRuleFile("a\tb\tc\r\n\r\nd\te\tf\r\n");
  EXPECT_EQ(parsed.rules.rules(), (std::vector<TemplateRule>{rule("a", "b", "c")}));
  EXPECT_EQ(parsed.unreadRest, "\r\nd\te\tf\r\n");

  ParsedRuleFile emptyFirst = parseRuleFile("\nARTIST\tx\ty\n");
  EXPECT_EQ(emptyFirst.rules.count(), 0u);
  EXPECT_EQ(emptyFirst.unreadRest, "\nARTIST\tx\ty\n");

  EXPECT_EQ(parseRuleFile("a\tb\tc\r\n").unreadRest, "");
}

TEST(RuleFileRead, CtrlZEndsTheFileEvenInsideALine) {
  ParsedRuleFile parsed = parseRuleFile("a\tb\tc\r\nd\te\x1A" "f\r\ng\th\ti\r\n");
  EXPECT_EQ(parsed.rules.rules(), (std::vector<TemplateRule>{rule("a", "b", "c"), rule("d", "", "d\te")}));
  EXPECT_EQ(parsed.unreadRest, "\x1A" "f\r\ng\th\ti\r\n");
  EXPECT_EQ(parseRuleFile("\x1A" "a\tb\tc").rules.count(), 0u);
}

TEST(RuleFileRead, NulBytesAreKeptAsBytes) {
  std::string bytes("A\0B\tv\0\tp\0ath\r\n", 14);
  EXPECT_EQ(rulesOf(bytes), (std::vector<TemplateRule>{
                                rule(std::string("A\0B", 3), std::string("v\0", 2),
                                     std::string("p\0ath", 5))}));
}

TEST(RuleFileWrite, WritesTabSeparatedLinesWithCrLfThenTheUnreadRest) {
  RuleList rules;
  rules.append(rule("ARTIST", "Band", "C:\\b.html"));
  rules.append(rule("", "", "only path"));
  EXPECT_EQ(formatRuleFile(rules, ""), "ARTIST\tBand\tC:\\b.html\r\n\t\tonly path\r\n");
  EXPECT_EQ(formatRuleFile(RuleList{}, ""), "");
  EXPECT_EQ(formatRuleFile(rules, "\r\nkept\r\n"),
            "ARTIST\tBand\tC:\\b.html\r\n\t\tonly path\r\n\r\nkept\r\n");
}

TEST(RuleFileRoundTrip, SavedFilesLoadAsTheSameRulesAndTheSameRest) {
  const char* files[] = {
      "ARTIST\tA\tp1\r\nGENRE\tJazz\tp2\r\n",
      "a\tb\tc\r\n\r\nhidden\tx\ty\r\n",          // rules after the end of the list
      "a\tb\tc\nd\te\x1A" "after\r\n",             // cut by Ctrl-Z
      "no tab at all\nARTIST\tone tab\n",          // rewritten with two TABs
      "\t\t\r\n\t\t\r\n",                          // three empty fields
      "\r\n",
  };
  for (const char* original : files) {
    ParsedRuleFile first = parseRuleFile(original);
    std::string saved = formatRuleFile(first.rules, first.unreadRest);
    ParsedRuleFile second = parseRuleFile(saved);
    EXPECT_EQ(second.rules.rules(), first.rules.rules()) << original;
    EXPECT_EQ(second.unreadRest, first.unreadRest) << original;
    EXPECT_EQ(formatRuleFile(second.rules, second.unreadRest), saved) << original;
  }
}

TEST(RuleFileRead, LargeInputs) {
  std::string longLine = "ARTIST\tx\t" + std::string(10 * 1024 * 1024, 'p');
  ParsedRuleFile one = parseRuleFile(longLine);
  ASSERT_EQ(one.rules.count(), 1u);
  EXPECT_EQ(one.rules.at(0).templatePath.size(), 10u * 1024 * 1024);

  std::string many;
  for (int i = 0; i < 1000000; ++i) many += "GENRE\tg\tp\r\n";
  ParsedRuleFile parsed = parseRuleFile(many);
  EXPECT_EQ(parsed.rules.count(), 1000000u);
  EXPECT_EQ(parsed.rules.at(999999), rule("GENRE", "g", "p"));
  EXPECT_EQ(formatRuleFile(parsed.rules, parsed.unreadRest), many);
}

}  // namespace
}  // namespace tavrik
