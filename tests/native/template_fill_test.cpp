#include "pipeline/template_fill.h"

#include <gtest/gtest.h>

#include <random>

namespace tavrik {
namespace {

TEST(FillTemplate, PlaceholdersThatPassesPutTogetherAreReplacedToo) {
  // A stray "#TI" before "#ARTIST" joins the artist "TLE" into "#TITLE".
  TrackTags tags{"[title]", "TLE", "al", "co", "ge"};
  EXPECT_EQ(fillTemplate("#TI#ARTIST", tags), "[title]");
  // The artist ends in "#AL", and the template goes on with "BUM".
  TrackTags endsInHash{"t", "x#AL", "[album]", "c", "g"};
  EXPECT_EQ(fillTemplate("#ARTISTBUM", endsInHash), "x[album]");
  // Line breaks are removed only after every placeholder had its turn.
  EXPECT_EQ(fillTemplate("#TI\r\nTLE", tags), "#TITLE");
}

// The single scan must give exactly what the five passes give, whatever the
// template and tags hold; texts are built from the pieces most likely to
// trip it up.
TEST(FillTemplate, TheSingleScanAgreesWithThePassesOnRandomInput) {
  const std::vector<std::string> pieces = {
      "#", "#T", "#TI", "TLE", "#TITLE", "#ARTIST", "ARTIST", "#AL", "BUM", "#ALBUM", "#COMMENT",
      "#GENRE", "GENRE", "#COMM", "ENT", "\r\n", "\t", "&", "<", "\"", "x", "yz", "#artist", " "};
  std::mt19937 random(20261207);
  auto text = [&](std::size_t maxPieces) {
    std::string out;
    std::size_t n = random() % (maxPieces + 1);
    for (std::size_t i = 0; i < n; ++i) out += pieces[random() % pieces.size()];
    return out;
  };
  for (int round = 0; round < 20000; ++round) {
    std::string content = text(12);
    TrackTags tags{text(3), text(3), text(3), text(3), text(3)};
    ASSERT_EQ(fillTemplate(content, tags), fillTemplateByPasses(content, tags))
        << "template [" << content << "] artist [" << tags.artist << "] title [" << tags.title
        << "]";
  }
}

}  // namespace
}  // namespace tavrik
