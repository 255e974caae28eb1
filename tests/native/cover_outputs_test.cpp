// The cover on its way to the outputs: read on the plug-in's thread only
// while an output shows it, the cover file holding the track's picture, the
// user's placeholder or a transparent pixel and written only when that
// changes, and the overlay page given the picture with an address that
// changes with it.
#include <gtest/gtest.h>

#include "caption/caption_state.h"
#include "caption/cover_reader.h"
#include "caption/cover_writer.h"
#include "caption/overlay_feed.h"
#include "fakes.h"
#include "memory_disk.h"
#include "cover_fakes.h"
#include "overlay/overlay_page.h"
#include "overlay_fakes.h"

namespace tavrik {
namespace {

using Clock = CoverWriter::Clock;
const std::u16string kCoverFile = u"C:\\obs\\cover.png";

// A picture's bytes as a file holds them: a PNG's signature and a little
// more, distinct for each `tag`.
std::string pngBytes(const std::string& tag) { return std::string("\x89PNG\r\n\x1a\n", 8) + "picture " + tag; }
constexpr std::intptr_t kStopped = 0, kPlaying = 1;

class CoverOutputsTest : public ::testing::Test {
 protected:
  CoverOutputsTest() {
    pictures.put(u"C:\\music\\a\\1.mp3", "no tag here");
    pictures.put(u"C:\\music\\a\\2.mp3", "no tag here");
    pictures.put(u"C:\\music\\a\\cover.png", pngBytes("a"));
    pictures.put(u"C:\\music\\b\\1.mp3", "no tag here");
    pictures.put(u"C:\\none.png", pngBytes("none"));
  }
  CaptionSettings withCoverFile(const AnsiOrWide& none = {}) {
    CaptionSettings settings;
    settings.cover.file = kCoverFile;
    settings.cover.none = none;
    return settings;
  }
  // What the plug-in's thread does between tracks, in its order.
  void serve() {
    if (reader.dueAt()) reader.perform(Clock::now());
    if (writer.dueAt()) writer.perform(Clock::now());
    if (page.dueAt()) page.perform(Clock::now());
  }
  void play(const char16_t* path, const char* title = "t") {
    state.track(TrackTags{title, "a", "b", "c", "g"}, title, std::u16string(path));
    serve();
  }
  std::vector<std::string> written() const {
    std::vector<std::string> out;
    for (const auto& [path, content] : disk.wide.replaced) {
      EXPECT_EQ(path, kCoverFile);
      out.push_back(content);
    }
    return out;
  }

  CaptionState state;
  testing::MemoryDisk disk;
  testing::MemoryCoverFiles pictures;
  testing::FakeCodePage codePage;
  testing::FakeOverlay overlay;
  CoverReader reader{state, pictures, codePage};
  CoverWriter writer{state, disk, pictures, codePage};
  OverlayFeed page{state, overlay, disk, codePage};
};

TEST_F(CoverOutputsTest, TheFileHoldsEachTracksPictureElseThePlaceholderElseAPixelAndOnlyChangesAreWritten) {
  state.setSettings(withCoverFile(u"C:\\none.png"));
  play(u"C:\\music\\a\\1.mp3");
  play(u"C:\\music\\a\\2.mp3");  // the same album's picture: nothing new to write
  play(u"C:\\music\\b\\1.mp3");
  play(u"");  // a stream
  play(u"C:\\music\\a\\1.mp3");
  state.playbackStatus(kStopped);
  serve();
  state.setSettings(withCoverFile());
  serve();
  EXPECT_EQ(written(), (std::vector<std::string>{pngBytes("a"), pngBytes("none"), pngBytes("a"), pngBytes("none"),
                                                 kTransparentPixel}));
  EXPECT_EQ(writer.replacements(), 5u);
  EXPECT_EQ(writer.status().outcome, CaptionOutcome::written);
}

TEST_F(CoverOutputsTest, ThePixelIsAWholeTransparentPng) {
  ASSERT_EQ(kTransparentPixel.size(), 68u);
  EXPECT_EQ(kTransparentPixel.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(kTransparentPixel.substr(kTransparentPixel.size() - 12),
            std::string("\x00\x00\x00\x00IEND\xae\x42\x60\x82", 12));
  // 1×1, 8 bits, RGBA: the alpha channel is what makes it transparent.
  EXPECT_EQ(kTransparentPixel.substr(16, 10), std::string("\x00\x00\x00\x01\x00\x00\x00\x01\x08\x06", 10));
}

TEST_F(CoverOutputsTest, WithNoOutputShowingTheCoverNothingIsReadOrWritten) {
  CaptionSettings settings;
  settings.file = u"C:\\obs\\now.txt";
  settings.overlay.port = "4600";
  state.setSettings(settings);
  play(u"C:\\music\\a\\1.mp3");
  EXPECT_EQ(pictures.counts.opened.size(), 0u);
  EXPECT_FALSE(reader.dueAt());
  EXPECT_TRUE(written().empty());
  ASSERT_FALSE(overlay.captions().empty());
  EXPECT_FALSE(overlay.captions().back().showsCover);
  EXPECT_EQ(captionJson(overlay.captions().back()).find("cover"), std::string::npos);
}

TEST_F(CoverOutputsTest, TurnedOnInTheMiddleOfATrackItShowsThatTracksPicture) {
  state.setSettings(CaptionSettings{});
  play(u"C:\\music\\a\\1.mp3");
  EXPECT_EQ(pictures.counts.opened.size(), 0u);
  state.setSettings(withCoverFile());
  ASSERT_TRUE(reader.dueAt());
  serve();
  EXPECT_EQ(written(), std::vector<std::string>{pngBytes("a")});
  // Read once: turning it off and on again does not read it again.
  const std::size_t opens = pictures.counts.opened.size();
  state.setSettings(CaptionSettings{});
  state.setSettings(withCoverFile());
  serve();
  EXPECT_EQ(pictures.counts.opened.size(), opens);
}

TEST_F(CoverOutputsTest, ThePageGetsThePictureWithItsCaptionAndANewAddressOnlyForANewPicture) {
  CaptionSettings settings;
  settings.overlay.port = "4600";
  settings.overlay.cover = "1";
  state.setSettings(settings);
  play(u"C:\\music\\a\\1.mp3", "one");
  play(u"C:\\music\\a\\2.mp3", "two");
  play(u"C:\\music\\b\\1.mp3", "three");
  play(u"C:\\music\\a\\1.mp3", "four");
  state.playbackStatus(kStopped);
  serve();
  state.playbackStatus(kPlaying);
  serve();

  std::vector<std::string> seen;
  for (const OverlayCaption& caption : overlay.captions()) {
    ASSERT_TRUE(caption.showsCover);
    seen.push_back(caption.title + " " + (caption.cover ? caption.cover->bytes.substr(8) : "none"));
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"one picture a", "two picture a", "three none", "four picture a", " none",
                                            "four picture a"}));
  // One picture, one address, whichever track: only a new one reloads.
  const std::vector<OverlayCaption> captions = overlay.captions();
  EXPECT_EQ(captions[0].coverUrl.size(), 23u);
  EXPECT_EQ(captions[0].coverUrl.substr(0, 7), "/cover?");
  EXPECT_EQ(captions[1].coverUrl, captions[0].coverUrl);
  EXPECT_EQ(captions[3].coverUrl, captions[0].coverUrl);
  EXPECT_NE(captionJson(captions[2]).find(R"("cover":null)"), std::string::npos);
  EXPECT_NE(captionJson(captions[0]).find(R"("cover":")" + captions[0].coverUrl + "\""), std::string::npos);
  pictures.put(u"C:\\music\\b\\cover.png", pngBytes("b"));
  play(u"C:\\music\\b\\1.mp3", "five");
  ASSERT_EQ(overlay.captions().size(), 7u);
  EXPECT_NE(overlay.captions().back().coverUrl, captions[0].coverUrl);
  EXPECT_EQ(written(), std::vector<std::string>{}) << "no cover file was asked for";
}

TEST(OverlayPageCover, ThePageHasItsImageOnlyWhenAskedAndTheCoverIsServedOnlyWhileThereIsOne) {
  EXPECT_EQ(overlayPage().find("<img"), std::string::npos);
  EXPECT_EQ(overlayPage(false), overlayPage());
  EXPECT_NE(overlayPage(true).find(R"(<img id="cover" class="cover" alt="" hidden>)"), std::string::npos);
  EXPECT_NE(overlayPage(true).find(R"(<div id="caption" class="caption stopped"></div>)"), std::string::npos);
  const char* host = "127.0.0.1:4600";
  EXPECT_EQ(routeOf("GET", "/cover?7", host, 4600, false, true), OverlayRoute::cover);
  EXPECT_EQ(routeOf("HEAD", "/cover", host, 4600, false, true), OverlayRoute::cover);
  EXPECT_EQ(routeOf("GET", "/cover?7", host, 4600, false, false), OverlayRoute::notFound);
  EXPECT_EQ(routeOf("GET", "/covers", host, 4600, false, true), OverlayRoute::notFound);
  EXPECT_EQ(routeOf("GET", "/cover?7", "evil.example:4600", 4600, false, true), OverlayRoute::forbidden);
}

}  // namespace
}  // namespace tavrik
