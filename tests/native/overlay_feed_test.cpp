// What the overlay page is handed on the plug-in's thread: the port, the
// track through the page's template (escaped, its lines kept) or the
// encoder's text, the idle text and the player's state, the stylesheet's
// bytes, and the caption hidden show_for seconds after it changed, shown
// again by the next change.
#include "caption/overlay_feed.h"

#include <gtest/gtest.h>

#include <iterator>

#include "fakes.h"
#include "memory_disk.h"
#include "overlay_fakes.h"

namespace tavrik {
namespace {

using namespace std::chrono_literals;
using Clock = OverlayFeed::Clock;
constexpr std::intptr_t kStopped = 0, kPlaying = 1, kPaused = 3;

class OverlayFeedTest : public ::testing::Test {
 protected:
  OverlayFeedTest() {
    disk.ansi.files["C:\\page.html"] = "<div class=\"band\">#ARTIST</div>\r\n<em>#TITLE</em>";
    disk.ansi.files["C:\\idle.html"] = "<p>Back soon</p>";
    disk.ansi.files["C:\\look.css"] = "#caption { color: white; } /* \xE2\x99\xAA */";
  }
  CaptionSettings on(const char* showFor = "") {
    CaptionSettings settings;
    settings.idleTemplate = "C:\\idle.html";
    settings.overlay.port = "1608";
    settings.overlay.htmlTemplate = "C:\\page.html";
    settings.overlay.style = "C:\\look.css";
    settings.overlay.showFor = showFor;
    return settings;
  }
  void runDue(Clock::time_point now) {
    std::optional<Clock::time_point> due = feed.dueAt();
    if (due && *due <= now) feed.perform(now);
  }
  void play(const char* artist, const char* title) {
    state.track(TrackTags{title, artist, "", "", ""}, std::string("<p>") + title + "</p>");
  }

  CaptionState state;
  testing::MemoryDisk disk;
  testing::FakeCodePage codePage;
  testing::FakeOverlay overlay;
  OverlayFeed feed{state, overlay, disk, codePage};
  Clock::time_point start = Clock::now();
};

TEST_F(OverlayFeedTest, TheTrackThroughThePageTemplateEscapedWithItsLinesAndTheStylesheet) {
  state.setSettings(on());
  play("Tom & Jerry", "Rock <Live>");
  runDue(start);
  ASSERT_EQ(overlay.captions().size(), 1u);
  const OverlayCaption shown = overlay.captions()[0];
  EXPECT_EQ(shown.html, "<div class=\"band\">Tom &amp; Jerry</div>\r\n<em>Rock &lt;Live&gt;</em>");
  EXPECT_EQ(shown.artist, "Tom & Jerry") << "the tags themselves, for caption.json";
  EXPECT_EQ(shown.title, "Rock <Live>");
  EXPECT_EQ(shown.state, OverlayState::playing);
  EXPECT_GT(shown.changedMs, 0);
  EXPECT_EQ(overlay.stylesheets()[0], "#caption { color: white; } /* \xE2\x99\xAA */") << "its bytes as they are";
  EXPECT_EQ(overlay.ports().back(), 1608);

  runDue(start + 1s);
  EXPECT_EQ(overlay.captions().size(), 1u) << "nothing new, nothing sent";
}

TEST_F(OverlayFeedTest, WithoutATemplateTheEncodersTextAndTheIdleTextOnStopWithTheState) {
  CaptionSettings settings = on();
  settings.overlay.htmlTemplate = "";
  state.setSettings(settings);
  play("A", "T");
  runDue(start);
  state.playbackStatus(kPaused);
  runDue(start);
  state.playbackStatus(kStopped);
  runDue(start);
  state.playbackStatus(kPlaying);
  runDue(start);
  const auto captions = overlay.captions();
  ASSERT_EQ(captions.size(), 4u);
  EXPECT_EQ(captions[0].html, "<p>T</p>");
  EXPECT_EQ(captions[1].html, "<p>T</p>");
  EXPECT_EQ(captions[1].state, OverlayState::paused) << "when_paused=track keeps the track, paused";
  EXPECT_EQ(captions[2].html, "<p>Back soon</p>");
  EXPECT_EQ(captions[2].state, OverlayState::stopped);
  EXPECT_EQ(captions[3].html, "<p>T</p>");
  EXPECT_EQ(captions[3].state, OverlayState::playing);
}

TEST_F(OverlayFeedTest, ShowForHidesAfterItsSecondsAndTheNextTrackShowsAgain) {
  state.setSettings(on("5"));
  play("A", "One");
  runDue(start);
  ASSERT_EQ(feed.dueAt(), start + 5s);
  runDue(start + 4999ms);
  EXPECT_EQ(overlay.captions().size(), 1u) << "not before its time";
  runDue(start + 5s);
  ASSERT_EQ(overlay.captions().size(), 2u);
  EXPECT_EQ(overlay.captions()[1].state, OverlayState::hidden);
  EXPECT_EQ(overlay.captions()[1].html, overlay.captions()[0].html) << "the stylesheet may fade the text out";
  EXPECT_FALSE(feed.dueAt()) << "hidden until the next change";

  // A quick change restarts the time: the older one never hides the newer.
  play("A", "Two");
  runDue(start + 6s);
  play("A", "Three");
  runDue(start + 8s);
  runDue(start + 11s);
  EXPECT_EQ(overlay.captions().size(), 4u) << "Two's time, at 11 s, no longer counts";
  runDue(start + 13s);
  ASSERT_EQ(overlay.captions().size(), 5u);
  EXPECT_EQ(overlay.captions()[4].state, OverlayState::hidden);
  EXPECT_NE(overlay.captions()[4].html.find("Three"), std::string::npos);
}

TEST_F(OverlayFeedTest, APortThatIsNoneTurnsThePageOffAndNothingIsPublished) {
  CaptionSettings settings = on();
  play("A", "T");
  const char* offs[] = {"", "0", "65536", "80a", "-1", " 1608", "016080"};
  for (const char* port : offs) {
    settings.overlay.port = "1608";
    state.setSettings(settings);
    runDue(start);
    settings.overlay.port = port;
    state.setSettings(settings);
    runDue(start);
    EXPECT_EQ(overlay.ports().back(), 0) << port;
  }
  EXPECT_EQ(overlay.captions().size(), std::size(offs)) << "once each time it came on, none while off";
  settings.overlay.port = "65535";
  state.setSettings(settings);
  runDue(start);
  EXPECT_EQ(overlay.ports().back(), 65535);
  EXPECT_EQ(overlay.captions().size(), std::size(offs) + 1) << "turned on again, it shows the track that plays";
}

TEST_F(OverlayFeedTest, AMissingTemplateOrStylesheetShowsNothingOfThemAndNeverFails) {
  CaptionSettings settings = on();
  settings.overlay.htmlTemplate = "C:\\gone.html";
  settings.overlay.style = "C:\\gone.css";
  state.setSettings(settings);
  play("A", "T");
  runDue(start);
  ASSERT_EQ(overlay.captions().size(), 1u);
  EXPECT_EQ(overlay.captions()[0].html, "");
  EXPECT_EQ(overlay.stylesheets()[0], "");
}

}  // namespace
}  // namespace tavrik
