#include "pipeline/template_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes.h"
#include "memory_disk.h"

namespace tavrik {
namespace {

using testing::kDefaultTemplatePath;

TrackTags tagsOf(AnsiOrWide artist, AnsiOrWide title = "Title") {
  return {std::move(title), std::move(artist), "Album", "Comment", "Genre"};
}

RuleList rulesOf(std::initializer_list<TemplateRule> list) {
  RuleList rules;
  for (const auto& r : list) rules.append(r);
  return rules;
}

class SelectTemplate : public ::testing::Test {
 protected:
  AnsiOrWide select(const TrackTags& tags, const RuleList& rules, const AnsiOrWide& fallback = "d") {
    return selectTemplate(tags, rules, fallback, codePage);
  }
  testing::FakeCodePage codePage;
};

TEST_F(SelectTemplate, TheLastMatchingRuleWins) {
  TrackTags tags = tagsOf("Band");
  tags.genre = "Jazz";
  RuleList rules = rulesOf({{"ARTIST", "Band", "band.html"},
                            {"GENRE", "Jazz", "jazz.html"},
                            {"TITLE", "Other", "other.html"}});
  EXPECT_EQ(select(tags, rules, kDefaultTemplatePath), "jazz.html");
  EXPECT_EQ(select(tags, RuleList{}, kDefaultTemplatePath), kDefaultTemplatePath);
}

TEST_F(SelectTemplate, EachTypeComparesItsOwnFieldExactly) {
  TrackTags tags{"T", "A", "Al", "C", "G"};
  EXPECT_EQ(select(tags, rulesOf({{"TITLE", "T", "1"}})), "1");
  EXPECT_EQ(select(tags, rulesOf({{"ARTIST", "A", "2"}})), "2");
  EXPECT_EQ(select(tags, rulesOf({{"ALBUM", "Al", "3"}})), "3");
  EXPECT_EQ(select(tags, rulesOf({{"COMMENT", "C", "4"}})), "4");
  EXPECT_EQ(select(tags, rulesOf({{"GENRE", "G", "5"}})), "5");
  // No case folding, no trimming, no other field, no unknown type.
  EXPECT_EQ(select(tags, rulesOf({{"title", "T", "x"}, {"TITLE", "t", "x"}, {"TITLE", "T ", "x"},
                                  {"TITLE", "A", "x"}, {"NAME", "T", "x"}, {"", "", "x"}})),
            "d");
  // Types from a UTF-8 rule file name the same fields.
  EXPECT_EQ(select(tags, rulesOf({{u"GENRE", u"G", u"6"}})), AnsiOrWide(u"6"));
  EXPECT_EQ(select(tags, rulesOf({{u"GENRE ", u"G", u"6"}})), "d");
}

TEST_F(SelectTemplate, ComparesTheTagsAfterDefaultsAndBeforeEscaping) {
  TrackTags tags = tagsOf("Unknown Artist", "Tom & Jerry");
  EXPECT_EQ(select(tags, rulesOf({{"ARTIST", "Unknown Artist", "u.html"}})), "u.html");
  EXPECT_EQ(select(tags, rulesOf({{"TITLE", "Tom &amp; Jerry", "e.html"}})), "d");
  EXPECT_EQ(select(tags, rulesOf({{"TITLE", "Tom & Jerry", "r.html"}})), "r.html");
}

TEST_F(SelectTemplate, ATagTheCodePageHoldsIsComparedByItsAnsiBytesAnyOtherExactly) {
  // "テスト" as a wide tag matches a rule written in code page 932 bytes, as
  // the same tag read through the ANSI entry always did, and a UTF-8 rule.
  TrackTags japanese = tagsOf(u"\u30C6\u30B9\u30C8");
  EXPECT_EQ(select(japanese, rulesOf({{"ARTIST", "\x83\x65\x83\x58\x83\x67", "ansi.html"}})), "ansi.html");
  EXPECT_EQ(select(japanese, rulesOf({{u"ARTIST", u"\u30C6\u30B9\u30C8", u"utf8.html"}})), AnsiOrWide(u"utf8.html"));
  // An ANSI tag meets a UTF-8 rule by the rule's bytes.
  TrackTags ansi = tagsOf("\x83\x65\x83\x58\x83\x67");
  EXPECT_EQ(select(ansi, rulesOf({{u"ARTIST", u"\u30C6\u30B9\u30C8", u"utf8.html"}})), AnsiOrWide(u"utf8.html"));

  // "Beyoncé" is beyond the code page: only the very same characters match,
  // never a look-alike, and never the "?" an ANSI text would have had.
  TrackTags beyond = tagsOf(u"Beyonc\u00E9");
  EXPECT_EQ(select(beyond, rulesOf({{u"ARTIST", u"Beyonc\u00E9", u"b.html"}})), AnsiOrWide(u"b.html"));
  EXPECT_EQ(select(beyond, rulesOf({{"ARTIST", "Beyonce", "x"}, {"ARTIST", "Beyonc?", "x"},
                                    {u"ARTIST", u"BEYONC\u00C9", u"x"}})),
            "d");
}

TEST_F(SelectTemplate, AnAnsiRuleAgainstAnAnsiTagConvertsNothing) {
  TrackTags tags = tagsOf("\x83\x65");
  select(tags, rulesOf({{"ARTIST", "\x83\x65", "a"}, {"ARTIST", "x", "b"}, {"GENRE", "y", "c"}}));
  EXPECT_EQ(codePage.toWideCalls + codePage.toAnsiCalls, 0);
}

class RenderTest : public ::testing::Test {
 protected:
  AnsiOrWide render(const TrackTags& tags, const RuleList& rules = {}) {
    return TemplateRenderer(disk, codePage, kDefaultTemplatePath).renderScriptText(tags, rules);
  }
  testing::MemoryDisk disk;
  testing::FakeCodePage codePage;
};

TEST_F(RenderTest, AWholeRunEscapesFillsAndFlattens) {
  disk.ansi.files[kDefaultTemplatePath] = "<b>#ARTIST</b>\r\n<i>#TITLE</i>";
  EXPECT_EQ(render(tagsOf("Tom & Jerry", "Cat")), "<b>Tom &amp; Jerry</b><i>Cat</i>");
}

TEST_F(RenderTest, FillsEveryPlaceholderInOrderIncludingOnesArrivingInTags) {
  disk.ansi.files[kDefaultTemplatePath] = "#ARTIST|#TITLE|#ALBUM|#COMMENT|#GENRE|#TITLE|#artist";
  TrackTags tags{"T", "A", "Al", "C", "G"};
  EXPECT_EQ(render(tags), "A|T|Al|C|G|T|#artist");
  // The artist holds "#TITLE", so the title lands there too; the title holds
  // "#ARTIST", which is past its turn and stays.
  TrackTags tricky{"by #ARTIST", "feat. #TITLE", "#GENRE", "c", "g"};
  EXPECT_EQ(render(tricky), "feat. by #ARTIST|by #ARTIST|g|c|g|by #ARTIST|#artist");
}

TEST_F(RenderTest, RemovesLineBreaksAndTabsFromTemplateAndTags) {
  disk.ansi.files[kDefaultTemplatePath] = "x\r\ny\tz #TITLE";
  EXPECT_EQ(render(tagsOf("a", "t\r\n1\t2")), "xyz t12");
}

TEST_F(RenderTest, ATemplateWithoutPlaceholdersArrivesByteForByteLessBreaks) {
  std::string bytes;
  for (int c = 1; c < 256; ++c) bytes += static_cast<char>(c);
  disk.ansi.files[kDefaultTemplatePath] = bytes;
  std::string expected = bytes;
  expected.erase(std::remove_if(expected.begin(), expected.end(),
                                [](char c) { return c == '\r' || c == '\n' || c == '\t'; }),
                 expected.end());
  EXPECT_EQ(render(tagsOf("a")), expected);
}

TEST_F(RenderTest, AMissingLockedOrTooLongTemplateGivesTheEmptyText) {
  EXPECT_EQ(render(tagsOf("a")), "");
  disk.ansi.files[kDefaultTemplatePath] = "x";
  disk.ansi.held.insert(kDefaultTemplatePath);
  EXPECT_EQ(render(tagsOf("a")), "");
  // A rule's path may be anything typed: one that does not fit is never
  // opened, as it would name some other file, or none.
  std::string longPath(260, 'p');
  disk.ansi.files[longPath] = "x";
  disk.ansi.files[longPath.substr(1)] = "fits";
  EXPECT_EQ(render(tagsOf("a"), rulesOf({{"ARTIST", "a", longPath}})), "");
  EXPECT_EQ(render(tagsOf("a"), rulesOf({{"ARTIST", "a", longPath.substr(1)}})), "fits");
  std::u16string longWidePath(260, u'\uC74C');
  disk.wide.files[longWidePath] = "x";
  disk.wide.files[longWidePath.substr(1)] = "fits";
  EXPECT_EQ(render(tagsOf("a"), rulesOf({{u"ARTIST", u"a", longWidePath}})), "");
  EXPECT_EQ(render(tagsOf("a"), rulesOf({{u"ARTIST", u"a", longWidePath.substr(1)}})), "fits");
  disk.ansi.files[""] = "x";
  RuleList none;
  EXPECT_EQ(TemplateRenderer(disk, codePage, "").renderScriptText(tagsOf("a"), none), "");
}

TEST_F(RenderTest, ReadsInChunksOf32000UntilAShortRead) {
  disk.ansi.files[kDefaultTemplatePath] = std::string(32000, 'a');
  EXPECT_EQ(render(tagsOf("a")).ansi().size(), 32000u);
  EXPECT_EQ(disk.readSizes, (std::vector<std::size_t>{32000, 0}));

  disk.readSizes.clear();
  disk.ansi.files[kDefaultTemplatePath] = std::string(64000 + 5, 'a');
  EXPECT_EQ(render(tagsOf("a")).ansi().size(), 64005u);
  EXPECT_EQ(disk.readSizes, (std::vector<std::size_t>{32000, 32000, 5}));

  disk.readSizes.clear();
  disk.ansi.files[kDefaultTemplatePath] = "";
  EXPECT_EQ(render(tagsOf("a")), "");
  EXPECT_EQ(disk.readSizes, (std::vector<std::size_t>{0}));
}

TEST_F(RenderTest, ANulByteDropsTheRestOfItsChunkOnly) {
  std::string first = std::string("head\0dropped", 12) + std::string(32000 - 12, 'x');
  std::string second("tail\0gone", 9);
  disk.ansi.files[kDefaultTemplatePath] = first + second;
  EXPECT_EQ(render(tagsOf("a")), "headtail");
}

TEST_F(RenderTest, LargeTagsAndTemplates) {
  std::string bigTag(100 * 1024, '<');
  disk.ansi.files[kDefaultTemplatePath] = "#TITLE";
  std::string result = render(tagsOf("a", bigTag)).ansi();
  EXPECT_EQ(result.size(), 100u * 1024 * 4);
  EXPECT_EQ(result.substr(0, 8), "&lt;&lt;");

  std::string huge(100 * 1024 * 1024, 'h');
  huge.replace(50 * 1024 * 1024, 7, "#ARTIST");
  disk.ansi.files[kDefaultTemplatePath] = huge;
  std::string rendered = render(tagsOf("Z")).ansi();
  EXPECT_EQ(rendered.size(), huge.size() - 6);
  EXPECT_EQ(rendered[50 * 1024 * 1024], 'Z');
}

TEST_F(RenderTest, ATemplateInEachEncodingFillsTheSameWay) {
  const TrackTags tags{u"\uD55C <\u2661>", "Tom & Jerry", "\x83\x65", "c", "g"};
  const std::u16string expected = u"<b>Tom &amp; Jerry</b><i>\uD55C &lt;\u2661&gt;</i>\u30C6";
  // The same template as ANSI bytes, as UTF-8 and as UTF-16LE, each behind its mark.
  disk.ansi.files[kDefaultTemplatePath] = "<b>#ARTIST</b>\r\n\t<i>#TITLE</i>#ALBUM";
  EXPECT_EQ(render(tags), AnsiOrWide(expected));
  disk.ansi.files[kDefaultTemplatePath] = "\xEF\xBB\xBF<b>#ARTIST</b>\r\n\t<i>#TITLE</i>#ALBUM";
  EXPECT_EQ(render(tags), AnsiOrWide(expected));
  std::string utf16 = "\xFF\xFE";
  for (char16_t unit : std::u16string(u"<b>#ARTIST</b>\r\n\t<i>#TITLE</i>#ALBUM")) {
    utf16 += static_cast<char>(unit & 0xFF);
    utf16 += static_cast<char>(unit >> 8);
  }
  disk.ansi.files[kDefaultTemplatePath] = utf16;
  EXPECT_EQ(render(tags), AnsiOrWide(expected));
}

TEST_F(RenderTest, AnsiTagsInAUnicodeTemplateComeOutUnicode) {
  disk.ansi.files[kDefaultTemplatePath] = "\xEF\xBB\xBF\xE2\x99\xA1 #TITLE";
  EXPECT_EQ(render(tagsOf("a", "\x83\x65\x83\x58\x83\x67")), AnsiOrWide(u"\u2661 \u30C6\u30B9\u30C8"));
  // ANSI everywhere stays ANSI bytes, exactly.
  disk.ansi.files[kDefaultTemplatePath] = "\x83\x65 #TITLE";
  AnsiOrWide ansi = render(tagsOf("a", "\x83\x58"));
  EXPECT_FALSE(ansi.isWide());
  EXPECT_EQ(ansi, "\x83\x65 \x83\x58");
}

TEST_F(RenderTest, ATemplatePathBeyondTheCodePageOpensByItsUtf16Name) {
  const std::u16string path = u"C:\\\uC74C\uC545\\\u2661.html";
  disk.wide.files[path] = "#TITLE!";
  EXPECT_EQ(render(tagsOf("a", "T"), rulesOf({{u"ARTIST", u"a", path}})), "T!");
}

TEST(DecodeTemplate, TheMarkSaysTheEncodingAndIsNoPartOfTheText) {
  EXPECT_EQ(decodeTemplate("\xEF\xBB\xBF" "a\xC3\xA9", 32000), AnsiOrWide(u"a\u00E9"));
  EXPECT_EQ(decodeTemplate(std::string("\xFF\xFE" "a\0\x42\xD8\xB7\xDF", 8), 32000),
            AnsiOrWide(u"a\U00020BB7"));
  // Without a mark, or with another one, the bytes are ANSI as ever.
  EXPECT_EQ(decodeTemplate("a\xC3\xA9", 32000), "a\xC3\xA9");
  EXPECT_EQ(decodeTemplate(std::string("\xFE\xFF\0a", 4), 32000), AnsiOrWide(std::string("\xFE\xFF", 2)));
  EXPECT_EQ(decodeTemplate("\xEF\xBB", 32000), "\xEF\xBB");
  EXPECT_EQ(decodeTemplate("\xEF\xBB\xBF", 32000), AnsiOrWide(u""));
  // Only the file's first bytes are its mark: a first chunk cut to nothing by
  // its NUL leaves a mark at the second chunk's start in the ANSI text.
  std::string markInSecondChunk = std::string(1, '\0') + std::string(31999, 'x') + "\xEF\xBB\xBF#TITLE";
  EXPECT_EQ(decodeTemplate(markInSecondChunk, 32000), AnsiOrWide("\xEF\xBB\xBF#TITLE"));
}

TEST(DecodeTemplate, BadUnicodeBecomesReplacementCharacters) {
  // Invalid UTF-8 after its mark; an odd-length UTF-16 file with an unpaired
  // surrogate (the decoders' own cases are in unicode_codec_test).
  EXPECT_EQ(decodeTemplate("\xEF\xBB\xBF" "a\x80" "b\xE2\x99", 32000), AnsiOrWide(u"a\uFFFDb\uFFFD"));
  EXPECT_EQ(decodeTemplate(std::string("\xFF\xFE" "a\0\x00\xD8" "b\0c", 9), 32000),
            AnsiOrWide(u"a\uFFFDb\uFFFD"));
}

TEST(DecodeTemplate, EachChunkCountsUpToItsFirstNulInItsOwnUnits) {
  // UTF-16: a NUL unit drops the rest of its chunk; a zero byte inside a
  // unit does not.
  std::string utf16("\xFF\xFE" "a\0\0\0" "b\0" "c\0" "d\0", 12);
  EXPECT_EQ(decodeTemplate(utf16, 8), AnsiOrWide(u"acd"));
  // UTF-8: as with ANSI bytes.
  EXPECT_EQ(decodeTemplate(std::string("\xEF\xBB\xBF" "a\0b" "cd", 8), 6), AnsiOrWide(u"acd"));
}

}  // namespace
}  // namespace tavrik
