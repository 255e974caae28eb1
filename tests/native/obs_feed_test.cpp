// What the OBS output is handed from what is to show: each track's text
// through the template, and with show_for the hidden text once the text
// has shown its seconds, never early for a text that came since.
#include "caption/obs_feed.h"

#include <gtest/gtest.h>

#include "caption/cover_writer.h"
#include "cover_fakes.h"
#include "fakes.h"
#include "memory_disk.h"
#include "obs_fakes.h"

namespace tavrik {
namespace {

using namespace std::chrono_literals;
using Clock = ObsFeed::Clock;

class ObsFeedTest : public ::testing::Test {
 protected:
  ObsFeedTest() {
    obs.addInput("Now Playing");
    disk.ansi.files["C:\\hide.txt"] = "(#TITLE)";
    settings.obs.source = "Now Playing";
    settings.obs.address = "127.0.0.1:4471";
  }
  ~ObsFeedTest() override { output.finish(Clock::now() + 5s); }
  void show(const char* title) { state.track(TrackTags{title, "a", "b", "c", "g"}, title); }
  void serve(Clock::time_point now) {
    std::optional<Clock::time_point> due = feed.dueAt();
    if (due && *due <= now) feed.perform(now);
  }
  bool textsBecome(const std::vector<std::string>& wanted) {
    return obs.waitUntil([&] { return obs.textsSoFar() == wanted; });
  }

  CaptionSettings settings;
  CaptionState state;
  testing::MemoryDisk disk;
  testing::MemoryCoverFiles pictures;
  testing::FakeCodePage codePage;
  CoverWriter cover{state, disk, pictures, codePage};
  testing::FakeObs obs;
  testing::OpenSslHashing hashing;
  ObsOutput output{std::make_unique<testing::FakeWebSocket>(obs), hashing};
  ObsFeed feed{state, cover, output, disk, codePage};
};

TEST_F(ObsFeedTest, ShowForHandsTheHiddenTextOnTimeAndANewTextGetsItsOwnSeconds) {
  settings.obs.showFor = "2";
  settings.obs.hideText = "C:\\hide.txt";
  state.setSettings(settings);
  const Clock::time_point t0 = Clock::now();
  show("one");
  serve(t0);
  EXPECT_EQ(feed.dueAt(), t0 + 2s);
  ASSERT_TRUE(textsBecome({"a - one"}));
  show("two");
  serve(t0 + 1s);
  ASSERT_TRUE(textsBecome({"a - one", "a - two"}));
  serve(t0 + 2s);  // the first text's time: nothing
  serve(t0 + 3s);
  ASSERT_TRUE(textsBecome({"a - one", "a - two", "(two)"}));
  EXPECT_FALSE(feed.dueAt());
  show("three");
  serve(t0 + 4s);
  ASSERT_TRUE(textsBecome({"a - one", "a - two", "(two)", "a - three"}));
}

TEST_F(ObsFeedTest, WithoutShowForTheTextStaysAndWithoutAHideTextItIsEmptied) {
  state.setSettings(settings);
  const Clock::time_point t0 = Clock::now();
  show("one");
  serve(t0);
  EXPECT_FALSE(feed.dueAt()) << "shown for good";
  ASSERT_TRUE(textsBecome({"a - one"}));
  settings.obs.showFor = "1";
  state.setSettings(settings);
  show("two");
  serve(t0 + 1s);
  ASSERT_TRUE(textsBecome({"a - one", "a - two"}));
  serve(t0 + 2s);
  ASSERT_TRUE(textsBecome({"a - one", "a - two", ""}));
}

}  // namespace
}  // namespace tavrik
