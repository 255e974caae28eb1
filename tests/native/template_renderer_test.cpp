#include "pipeline/template_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes.h"

namespace tavrik {
namespace {

using testing::kDefaultTemplatePath;

TrackTags tagsOf(std::string artist, std::string title = "Title") {
  return {std::move(title), std::move(artist), "Album", "Comment", "Genre"};
}

RuleList rulesOf(std::initializer_list<TemplateRule> list) {
  RuleList rules;
  for (const auto& r : list) rules.append(r);
  return rules;
}

TEST(SelectTemplate, TheLastMatchingRuleWins) {
  TrackTags tags = tagsOf("Band");
  tags.genre = "Jazz";
  RuleList rules = rulesOf({{"ARTIST", "Band", "band.html"},
                            {"GENRE", "Jazz", "jazz.html"},
                            {"TITLE", "Other", "other.html"}});
  EXPECT_EQ(selectTemplate(tags, rules, kDefaultTemplatePath), "jazz.html");
  EXPECT_EQ(selectTemplate(tags, RuleList{}, kDefaultTemplatePath), kDefaultTemplatePath);
}

TEST(SelectTemplate, EachTypeComparesItsOwnFieldExactly) {
  TrackTags tags{"T", "A", "Al", "C", "G"};
  EXPECT_EQ(selectTemplate(tags, rulesOf({{"TITLE", "T", "1"}}), "d"), "1");
  EXPECT_EQ(selectTemplate(tags, rulesOf({{"ARTIST", "A", "2"}}), "d"), "2");
  EXPECT_EQ(selectTemplate(tags, rulesOf({{"ALBUM", "Al", "3"}}), "d"), "3");
  EXPECT_EQ(selectTemplate(tags, rulesOf({{"COMMENT", "C", "4"}}), "d"), "4");
  EXPECT_EQ(selectTemplate(tags, rulesOf({{"GENRE", "G", "5"}}), "d"), "5");
  // No case folding, no trimming, no other field, no unknown type.
  EXPECT_EQ(selectTemplate(tags, rulesOf({{"title", "T", "x"}, {"TITLE", "t", "x"},
                                          {"TITLE", "T ", "x"}, {"TITLE", "A", "x"},
                                          {"NAME", "T", "x"}, {"", "", "x"}}),
                           "d"),
            "d");
}

TEST(SelectTemplate, ComparesTheTagsAfterDefaultsAndBeforeEscaping) {
  TrackTags tags = tagsOf("Unknown Artist", "Tom & Jerry");
  EXPECT_EQ(selectTemplate(tags, rulesOf({{"ARTIST", "Unknown Artist", "u.html"}}), "d"), "u.html");
  EXPECT_EQ(selectTemplate(tags, rulesOf({{"TITLE", "Tom &amp; Jerry", "e.html"}}), "d"), "d");
  EXPECT_EQ(selectTemplate(tags, rulesOf({{"TITLE", "Tom & Jerry", "r.html"}}), "d"), "r.html");
}

class RenderTest : public ::testing::Test {
 protected:
  std::string render(const TrackTags& tags, const RuleList& rules = {}) {
    return TemplateRenderer(rules, files, kDefaultTemplatePath).renderScriptText(tags);
  }
  testing::FakeFileSystem files;
};

TEST_F(RenderTest, AWholeRunEscapesFillsAndFlattens) {
  files.files[kDefaultTemplatePath] = "<b>#ARTIST</b>\r\n<i>#TITLE</i>";
  EXPECT_EQ(render(tagsOf("Tom & Jerry", "Cat")), "<b>Tom &amp; Jerry</b><i>Cat</i>");
}

TEST_F(RenderTest, FillsEveryPlaceholderInOrderIncludingOnesArrivingInTags) {
  files.files[kDefaultTemplatePath] = "#ARTIST|#TITLE|#ALBUM|#COMMENT|#GENRE|#TITLE|#artist";
  TrackTags tags{"T", "A", "Al", "C", "G"};
  EXPECT_EQ(render(tags), "A|T|Al|C|G|T|#artist");
  // The artist holds "#TITLE", so the title lands there too; the title holds
  // "#ARTIST", which is past its turn and stays.
  TrackTags tricky{"by #ARTIST", "feat. #TITLE", "#GENRE", "c", "g"};
  EXPECT_EQ(render(tricky), "feat. by #ARTIST|by #ARTIST|g|c|g|by #ARTIST|#artist");
}

TEST_F(RenderTest, RemovesLineBreaksAndTabsFromTemplateAndTags) {
  files.files[kDefaultTemplatePath] = "x\r\ny\tz #TITLE";
  EXPECT_EQ(render(tagsOf("a", "t\r\n1\t2")), "xyz t12");
}

TEST_F(RenderTest, ATemplateWithoutPlaceholdersArrivesByteForByteLessBreaks) {
  std::string bytes;
  for (int c = 1; c < 256; ++c) bytes += static_cast<char>(c);
  files.files[kDefaultTemplatePath] = bytes;
  std::string expected = bytes;
  expected.erase(std::remove_if(expected.begin(), expected.end(),
                                [](char c) { return c == '\r' || c == '\n' || c == '\t'; }),
                 expected.end());
  EXPECT_EQ(render(tagsOf("a")), expected);
}

TEST_F(RenderTest, AMissingLockedOrTooLongTemplateGivesTheEmptyText) {
  EXPECT_EQ(render(tagsOf("a")), "");
  files.files[kDefaultTemplatePath] = "x";
  files.heldOpenElsewhere.insert(kDefaultTemplatePath);
  EXPECT_EQ(render(tagsOf("a")), "");
  std::string longPath(300, 'p');
  files.files[longPath] = "x";
  EXPECT_EQ(render(tagsOf("a"), rulesOf({{"ARTIST", "a", longPath}})), "");
  files.files[""] = "x";
  RuleList none;
  EXPECT_EQ(TemplateRenderer(none, files, "").renderScriptText(tagsOf("a")), "");
}

TEST_F(RenderTest, ReadsInChunksOf32000UntilAShortRead) {
  files.files[kDefaultTemplatePath] = std::string(32000, 'a');
  EXPECT_EQ(render(tagsOf("a")).size(), 32000u);
  EXPECT_EQ(files.readSizes, (std::vector<std::size_t>{32000, 0}));

  files.readSizes.clear();
  files.files[kDefaultTemplatePath] = std::string(64000 + 5, 'a');
  EXPECT_EQ(render(tagsOf("a")).size(), 64005u);
  EXPECT_EQ(files.readSizes, (std::vector<std::size_t>{32000, 32000, 5}));

  files.readSizes.clear();
  files.files[kDefaultTemplatePath] = "";
  EXPECT_EQ(render(tagsOf("a")), "");
  EXPECT_EQ(files.readSizes, (std::vector<std::size_t>{0}));
}

TEST_F(RenderTest, ANulByteDropsTheRestOfItsChunkOnly) {
  std::string first = std::string("head\0dropped", 12) + std::string(32000 - 12, 'x');
  std::string second("tail\0gone", 9);
  files.files[kDefaultTemplatePath] = first + second;
  EXPECT_EQ(render(tagsOf("a")), "headtail");
}

TEST_F(RenderTest, LargeTagsAndTemplates) {
  std::string bigTag(100 * 1024, '<');
  files.files[kDefaultTemplatePath] = "#TITLE";
  std::string result = render(tagsOf("a", bigTag));
  EXPECT_EQ(result.size(), 100u * 1024 * 4);
  EXPECT_EQ(result.substr(0, 8), "&lt;&lt;");

  std::string huge(100 * 1024 * 1024, 'h');
  huge.replace(50 * 1024 * 1024, 7, "#ARTIST");
  files.files[kDefaultTemplatePath] = huge;
  std::string rendered = render(tagsOf("Z"));
  EXPECT_EQ(rendered.size(), huge.size() - 6);
  EXPECT_EQ(rendered[50 * 1024 * 1024], 'Z');
}

}  // namespace
}  // namespace tavrik
