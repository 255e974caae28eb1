// Internet radio in the stand-in player: a stream's entry keeps its address
// while the songs change, and every song, not every retitle, reaches the
// encoder and the caption file, through the rules like a file's tags.
#include <gtest/gtest.h>

#include "common/unicode_codec.h"
#include "player_folder.h"
#include "standin_encoder_process.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

using testing::audio;
using testing::contains;
using testing::Lines;
using testing::PlayerFolder;
using testing::readFileBytes;
using testing::StandinEncoder;
using testing::writeFileBytes;
using testing::operator+;

const std::string kStation = "http://radio.example:8000/live";

// A player with the stream (and a file after it), a rule for one band and a
// caption file.
struct RadioPlayer {
  explicit RadioPlayer(const std::string& name) : player(name) {
    writeFileBytes(player.ruleFile, "ARTIST\tBand\t" + player.folder + "\\band.html\r\n");
    writeFileBytes(player.folder + "\\band.html", "<b>#TITLE</b>");
    writeFileBytes(player.plugins + "\\default.html", "#ARTIST / #TITLE");
    caption = player.folder + "\\now.txt";
    writeFileBytes(player.plugins + "\\gen_tavrik.ini", "[caption]\r\nfile=" + caption + "\r\n");
  }
  PlayerFolder player;
  std::string caption;
};

TEST(StreamEndToEnd, EachSongOnceInOrderWhateverTheScrollingBetweenAndTheCaptionFollows) {
  StandinEncoder encoder("stream-songs", "--wide");
  ASSERT_TRUE(encoder.waitUntilReady());
  RadioPlayer radio("stream-songs");
  radio.player.playlist({kStation});
  // Connecting (no title yet), then three songs: one of the band, one with
  // markup in it, one in Japanese without an artist; the title scrolls
  // every 50 ms all the while.
  EXPECT_EQ(radio.player.runHost("play:0 wait:400 song:Band%20-%20One wait:500 "
                                 "song:Tom%20%26%20Jerry%20-%20Cat%20%3C1%3E wait:500 "
                                 "song:%E3%81%95%E3%81%8F%E3%82%89 wait:500 exit",
                                 "--scroll 50"),
            0);
  const std::vector<std::u16string> expected = {u"<b>One</b>", u"Tom &amp; Jerry / Cat &lt;1&gt;",
                                                u"Unknown Artist / \u3055\u304F\u3089"};
  EXPECT_EQ(encoder.wideTexts(), expected);
  Lines all;
  for (const std::u16string& text : expected) all = all + testing::wideDelivery(text);
  EXPECT_EQ(encoder.messages(), all) << "nothing for the connecting stream, nothing for a scrolling retitle";
  EXPECT_EQ(readFileBytes(radio.caption), encodeUtf8(expected.back()));
  Lines host = radio.player.hostLog();
  auto scrolled = std::find_if(host.begin(), host.end(),
                               [](const std::string& line) { return line.rfind("requests playlisttitle=", 0) == 0; });
  ASSERT_NE(scrolled, host.end());
  EXPECT_EQ(scrolled->find("scroll-retitles=0"), std::string::npos) << *scrolled;
  EXPECT_EQ(radio.player.libraryEvents(), (Lines{"attach", "detach unload"})) << "no tag load for a stream";
}

TEST(StreamEndToEnd, FromAStreamToAFileAndBackAndTheSameStationInTwoEntries) {
  StandinEncoder encoder("stream-and-file", "--wide");
  ASSERT_TRUE(encoder.waitUntilReady());
  RadioPlayer radio("stream-and-file");
  radio.player.playlist({kStation, audio("v23.mp3"), kStation});
  EXPECT_EQ(radio.player.runHost("play:0 song:Band%20-%20One wait:400 play:1 wait:400 play:0 wait:400 "
                                 "play:1 wait:400 play:2 wait:400 song:Band%20-%20One wait:400 exit"),
            0);
  // The second entry of the station starts without a title (connecting),
  // then plays the song the first one had: it is a new song for it.
  EXPECT_EQ(encoder.wideTexts(), (std::vector<std::u16string>{u"<b>One</b>", u"V2 Artist / V2 Title",
                                                              u"<b>One</b>", u"V2 Artist / V2 Title",
                                                              u"<b>One</b>"}));
}

TEST(StreamEndToEnd, AnOlderPlayerGivesTheSongsTitleInAnsi) {
  StandinEncoder encoder("stream-ansi", "");
  ASSERT_TRUE(encoder.waitUntilReady());
  RadioPlayer radio("stream-ansi");
  radio.player.playlist({kStation});
  EXPECT_EQ(radio.player.runHost("play:0 song:Band%20-%20%E6%98%A5 wait:400 song:Jingle wait:400 exit",
                                 "--wide-requests no"),
            0);
  // 春 as code page 932 bytes, as the player's request 212 answers it.
  EXPECT_EQ(encoder.texts(), (std::vector<std::string>{"<b>\x8f\x74</b>", "Unknown Artist / Jingle"}));
  EXPECT_TRUE(contains(radio.player.hostLog(), "requests playlisttitle=3 scroll-retitles=0"))
      << "asked once at each of the three retitles";
}

}  // namespace
}  // namespace tavrik
