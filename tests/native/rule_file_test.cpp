#include "rules/rule_file.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tavrik {
namespace {

TemplateRule rule(AnsiOrWide type, AnsiOrWide value, AnsiOrWide path) {
  return {std::move(type), std::move(value), std::move(path)};
}

std::string formatRuleFile(const RuleList& rules, std::string_view rest,
                           RuleFileEncoding encoding = RuleFileEncoding::Ansi) {
  testing::FakeCodePage codePage;
  return tavrik::formatRuleFile(rules, rest, encoding, codePage);
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

// --- the UTF-8 rule file -------------------------------------------------------

TEST(Utf8RuleFile, AfterTheMarkTheFieldsAreUtf8AndTheMarkBelongsToNone) {
  ParsedRuleFile parsed = parseRuleFile(
      "\xEF\xBB\xBF" "ARTIST\tBeyonc\xC3\xA9\tC:\\\xEC\x9D\x8C\\b.html\r\nTITLE\t\xE2\x99\xA1\tt.html\r\n\r\nkept \xF0\x9F\x8E\xB5");
  EXPECT_EQ(parsed.encoding, RuleFileEncoding::Utf8);
  EXPECT_EQ(parsed.rules.rules(),
            (std::vector<TemplateRule>{rule(u"ARTIST", u"Beyonc\u00E9", u"C:\\\uC74C\\b.html"),
                                       rule(u"TITLE", u"\u2661", u"t.html")}));
  EXPECT_EQ(parsed.unreadRest, "\r\nkept \xF0\x9F\x8E\xB5");
}

TEST(Utf8RuleFile, EveryEncodingIsSavedAsItWasRead) {
  const char* files[] = {
      "ARTIST\tA\tp1\r\n\x83\x65\t\x82\t\x81\r\n\r\nrest \x83\x65",       // ANSI, a stray byte too
      "\xEF\xBB\xBF" "ARTIST\t\xE2\x99\xA1\tp\r\n\r\n\xED\x95\x9C\r\n",  // UTF-8
      "\xEF\xBB\xBF" "ARTIST\t\xE2\x99\tp\r\nGENRE\t\x83\x65\tq\r\n",      // no UTF-8 after the mark
      "\xEF\xBB\xBF",
  };
  for (const char* original : files) {
    ParsedRuleFile parsed = parseRuleFile(original);
    EXPECT_EQ(formatRuleFile(parsed.rules, parsed.unreadRest, parsed.encoding), original) << original;
  }
}

TEST(Utf8RuleFile, BytesThatAreNoUtf8AfterTheMarkStayBytesAndAreNeverReplaced) {
  ParsedRuleFile parsed = parseRuleFile("\xEF\xBB\xBF" "ARTIST\t\x83\x65\xE2\x99\tp\r\n");
  EXPECT_EQ(parsed.encoding, RuleFileEncoding::MarkedBytes);
  EXPECT_EQ(parsed.rules.rules(), (std::vector<TemplateRule>{rule("ARTIST", "\x83\x65\xE2\x99", "p")}));
  // A rule typed meanwhile is written as UTF-8; the user's bytes stay as they were.
  parsed.rules.append(rule("TITLE", u"\uD55C", "q"));
  EXPECT_EQ(formatRuleFile(parsed.rules, parsed.unreadRest, parsed.encoding),
            "\xEF\xBB\xBF" "ARTIST\t\x83\x65\xE2\x99\tp\r\nTITLE\t\xED\x95\x9C\tq\r\n");
}

TEST(Utf8RuleFile, AnAnsiFileBecomesUtf8OnlyForATextTheCodePageCannotHold) {
  testing::FakeCodePage codePage;
  RuleList rules;
  rules.append(rule("ARTIST", "\x83\x65", "a.html"));
  rules.append(rule("GENRE", u"\u30C6", "b.html"));  // typed, but held by the code page
  EXPECT_EQ(encodingForSave(RuleFileEncoding::Ansi, rules, codePage), RuleFileEncoding::Ansi);
  EXPECT_EQ(formatRuleFile(rules, ""), "ARTIST\t\x83\x65\ta.html\r\nGENRE\t\x83\x65\tb.html\r\n");

  rules.append(rule("TITLE", u"Beyonc\u00E9", "c.html"));
  RuleFileEncoding encoding = encodingForSave(RuleFileEncoding::Ansi, rules, codePage);
  EXPECT_EQ(encoding, RuleFileEncoding::Utf8);
  EXPECT_EQ(formatRuleFile(rules, "", encoding),
            "\xEF\xBB\xBF" "ARTIST\t\xE3\x83\x86\ta.html\r\nGENRE\t\xE3\x83\x86\tb.html\r\n"
            "TITLE\tBeyonc\xC3\xA9\tc.html\r\n");
  // Files that have the mark keep their kind.
  EXPECT_EQ(encodingForSave(RuleFileEncoding::Utf8, RuleList{}, codePage), RuleFileEncoding::Utf8);
  EXPECT_EQ(encodingForSave(RuleFileEncoding::MarkedBytes, rules, codePage), RuleFileEncoding::MarkedBytes);
}

TEST(RuleFileRead, LargeInputs) {
  std::string longLine = "ARTIST\tx\t" + std::string(10 * 1024 * 1024, 'p');
  ParsedRuleFile one = parseRuleFile(longLine);
  ASSERT_EQ(one.rules.count(), 1u);
  EXPECT_EQ(one.rules.at(0).templatePath.ansi().size(), 10u * 1024 * 1024);

  std::string many;
  for (int i = 0; i < 1000000; ++i) many += "GENRE\tg\tp\r\n";
  ParsedRuleFile parsed = parseRuleFile(many);
  EXPECT_EQ(parsed.rules.count(), 1000000u);
  EXPECT_EQ(parsed.rules.at(999999), rule("GENRE", "g", "p"));
  EXPECT_EQ(formatRuleFile(parsed.rules, parsed.unreadRest), many);
}

}  // namespace
}  // namespace tavrik
