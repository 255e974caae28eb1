#include "pipeline/template_fill.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tavrik {
namespace {

TEST(EscapeMarkup, EscapesFourCharactersAmpersandFirst) {
  EXPECT_EQ(escapeMarkup("Rock & Roll <Live>"), "Rock &amp; Roll &lt;Live&gt;");
  EXPECT_EQ(escapeMarkup("&amp;"), "&amp;amp;");
  EXPECT_EQ(escapeMarkup("say \"hi\" it's"), "say &quot;hi&quot; it's");
  EXPECT_EQ(escapeMarkup("<>"), "&lt;&gt;");
  EXPECT_EQ(escapeMarkup(u"\u2661 & <\uD55C> \"'"), u"\u2661 &amp; &lt;\uD55C&gt; &quot;'");
}

TEST(FillTemplate, PlaceholdersThatPassesPutTogetherAreReplacedToo) {
  testing::FakeCodePage codePage;
  // A stray "#TI" before "#ARTIST" joins the artist "TLE" into "#TITLE".
  TrackTags tags{"[title]", "TLE", "al", "co", "ge"};
  EXPECT_EQ(fillTemplate("#TI#ARTIST", tags, codePage), "[title]");
  // The artist ends in "#AL", and the template goes on with "BUM".
  TrackTags endsInHash{"t", "x#AL", "[album]", "c", "g"};
  EXPECT_EQ(fillTemplate("#ARTISTBUM", endsInHash, codePage), "x[album]");
  // Line breaks are removed only after every placeholder had its turn.
  EXPECT_EQ(fillTemplate("#TI\r\nTLE", tags, codePage), "#TITLE");
  // The same on UTF-16, as soon as one text is Unicode.
  TrackTags wide{u"[\u2661]", u"TLE", "al", "co", "ge"};
  EXPECT_EQ(fillTemplate("#TI#ARTIST|#TI\r\nTLE", wide, codePage), AnsiOrWide(u"[\u2661]|#TITLE"));
}

TEST(FillPlainTemplate, TagsGoInAsTheyAreAndTheLinesStay) {
  testing::FakeCodePage codePage;
  TrackTags tags{"Cat <and> Mouse", "Tom & Jerry", "\"Best\"", "co", "ge"};
  EXPECT_EQ(fillPlainTemplate("#ARTIST live:\r\n\t#TITLE (#ALBUM)", tags, codePage),
            "Tom & Jerry live:\r\n\tCat <and> Mouse (\"Best\")");
  // The same passes in the same order as for the encoder.
  TrackTags joins{"[title]", "TLE", "al", "co", "ge"};
  EXPECT_EQ(fillPlainTemplate("#TI#ARTIST", joins, codePage), "[title]");
  TrackTags wide{u"\uC548\uB155 \U0001F3B5", u"\uC544\uC774\uC720", "al", "co", "ge"};
  EXPECT_EQ(fillPlainTemplate("#ARTIST\n#TITLE", wide, codePage),
            AnsiOrWide(u"\uC544\uC774\uC720\n\uC548\uB155 \U0001F3B5"));
}

}  // namespace
}  // namespace tavrik
