#include "pipeline/template_fill.h"

#include <gtest/gtest.h>

#include "pipeline/markup_escape.h"

namespace tavrik {
namespace {

TEST(EscapeMarkup, EscapesFourCharactersAmpersandFirst) {
  EXPECT_EQ(escapeMarkup("Rock & Roll <Live>"), "Rock &amp; Roll &lt;Live&gt;");
  EXPECT_EQ(escapeMarkup("&amp;"), "&amp;amp;");
  EXPECT_EQ(escapeMarkup("say \"hi\" it's"), "say &quot;hi&quot; it's");
  EXPECT_EQ(escapeMarkup("<>"), "&lt;&gt;");
}

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

}  // namespace
}  // namespace tavrik
