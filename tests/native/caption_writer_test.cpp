// What the caption file gets, decided by the player's state and the texts
// and written by the plug-in's thread between tracks: UTF-8 without a mark, the
// idle caption on stop, the track's again on resume, only changes written,
// and a held file retried, then kept pending, never given up.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>

#include "caption/caption_state.h"
#include "caption/caption_writer.h"
#include "common/replace_content.h"
#include "fakes.h"
#include "memory_disk.h"

namespace tavrik {
namespace {

using namespace std::chrono_literals;
using Clock = CaptionWriter::Clock;
constexpr std::intptr_t kStopped = 0, kPlaying = 1, kPaused = 3;
const std::u16string kCaption = u"C:\\obs\\now.txt";
const std::string kIdleTemplate = "C:\\obs\\idle.html";

class CaptionWriterTest : public ::testing::Test {
 protected:
  CaptionWriterTest() {
    state.setSettings(CaptionSettings{kCaption, kIdleTemplate, false});
    disk.ansi.files[kIdleTemplate] = "<p>\r\n\tBack soon</p>\r\n";
  }
  // What the plug-in's thread does when it finds the writer due.
  void runDueWork(Clock::time_point now) {
    std::optional<Clock::time_point> due = writer.dueAt();
    if (due && *due <= now) writer.perform(now);
  }
  void runDueWork() { runDueWork(Clock::now()); }
  // What the caption file got, write by write.
  std::vector<std::string> written() const {
    std::vector<std::string> out;
    for (const auto& [path, content] : disk.wide.replaced) {
      EXPECT_EQ(path, kCaption);
      out.push_back(content);
    }
    return out;
  }
  // How often a new caption was put in the file's place, or tried to be.
  long renamesTried() const {
    return std::count(disk.calls.begin(), disk.calls.end(), "replace wide " + encodeUtf8(kCaption));
  }

  // The tracks' texts, all of one file's tags.
  void showTrack(const AnsiOrWide& text) { state.track(TrackTags{"t", "a", "b", "c", "g"}, text); }

  CaptionState state;
  testing::MemoryDisk disk;
  testing::FakeCodePage codePage;
  CaptionWriter writer{state, disk, codePage};
};

TEST_F(CaptionWriterTest, EachNewTextInUtf8AndNothingTwice) {
  runDueWork();
  EXPECT_TRUE(written().empty()) << "nothing to show before the first track";
  // テスト as code page 932 bytes; Hangul and an emoji as UTF-16.
  showTrack("<b>\x83\x65\x83\x58\x83\x67</b>");
  runDueWork();
  showTrack(u"\uC548\uB155 \U0001F3B5");
  runDueWork();
  showTrack(u"\uC548\uB155 \U0001F3B5");  // the same text from another file
  state.playbackStatus(kPlaying);
  runDueWork();
  EXPECT_EQ(written(), (std::vector<std::string>{"<b>\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88</b>",
                                                 "\xEC\x95\x88\xEB\x85\x95 \xF0\x9F\x8E\xB5"}));
  EXPECT_FALSE(writer.dueAt()) << "nothing more to do";
  EXPECT_EQ(state.revision(), 3u) << "the unchanged state made no news";
}

TEST_F(CaptionWriterTest, ShowForHidesEachCaptionOnTimeAndNoOlderTimerHidesANewerOneEarly) {
  CaptionSettings settings{kCaption, kIdleTemplate, false};
  settings.showFor = "2";
  settings.hideText = "C:\\obs\\hide.txt";
  disk.ansi.files["C:\\obs\\hide.txt"] = "(#TITLE)";
  state.setSettings(settings);
  const Clock::time_point t0 = Clock::now();
  showTrack("first");
  runDueWork(t0);
  EXPECT_EQ(writer.dueAt(), t0 + 2s) << "due when it is to hide";
  // A quick change: the new caption gets its own two seconds.
  showTrack("second");
  runDueWork(t0 + 1s);
  runDueWork(t0 + 2s);
  EXPECT_EQ(written().back(), "second") << "the first caption's time hid nothing";
  runDueWork(t0 + 3s);
  EXPECT_EQ(written().back(), "(t)") << "the hidden text, filled with the track's tags";
  EXPECT_FALSE(writer.dueAt());
  // The next change shows again.
  showTrack("third");
  runDueWork(t0 + 10s);
  runDueWork(t0 + 11s);
  EXPECT_EQ(written(), (std::vector<std::string>{"first", "second", "(t)", "third"}));
  runDueWork(t0 + 12s);
  EXPECT_EQ(written().back(), "(t)");

  // Without a hide_text the file is emptied, never deleted.
  settings.hideText = {};
  state.setSettings(settings);
  showTrack("fourth");
  runDueWork(t0 + 20s);
  runDueWork(t0 + 22s);
  EXPECT_EQ(written().back(), "");
}

TEST_F(CaptionWriterTest, StopShowsTheIdleTemplateAndPlayingAgainTheTrackEvenForTheSameFile) {
  showTrack("track");
  runDueWork();
  state.playbackStatus(kPaused);  // paused keeps the track's caption by default
  runDueWork();
  state.playbackStatus(kStopped);
  runDueWork();
  state.playbackStatus(kPlaying);
  runDueWork();
  state.setSettings(CaptionSettings{kCaption, kIdleTemplate, true});
  state.playbackStatus(kPaused);
  runDueWork();
  // No idle template, or one that does not open: the empty text, never a
  // deleted file.
  state.setSettings(CaptionSettings{kCaption, "", true});
  state.playbackStatus(kStopped);
  runDueWork();
  state.playbackStatus(kPlaying);
  runDueWork();
  state.setSettings(CaptionSettings{kCaption, "C:\\missing.html", true});
  state.playbackStatus(kStopped);
  runDueWork();
  EXPECT_EQ(written(), (std::vector<std::string>{"track", "<p>Back soon</p>", "track", "<p>Back soon</p>", "",
                                                 "track", ""}));
}

TEST_F(CaptionWriterTest, ItsOwnTemplateFillsThePlainTagsKeepsTheLinesAndSoDoesTheIdleText) {
  disk.ansi.files["C:\\obs\\plain.txt"] = "#ARTIST live:\r\n#TITLE";
  CaptionSettings settings{kCaption, kIdleTemplate, false};
  settings.plainTemplate = "C:\\obs\\plain.txt";
  state.setSettings(settings);
  state.track(TrackTags{"Cat <and> Mouse", "Tom & Jerry", "b", "c", "g"}, "<p>Tom &amp; Jerry</p>");
  runDueWork();
  state.playbackStatus(kStopped);
  runDueWork();
  settings.plainTemplate = "C:\\obs\\missing.txt";  // as a missing template for the encoder
  state.setSettings(settings);
  state.playbackStatus(kPlaying);
  runDueWork();
  EXPECT_EQ(written(), (std::vector<std::string>{"Tom & Jerry live:\r\nCat <and> Mouse",
                                                 "<p>\r\n\tBack soon</p>\r\n", ""}));
}

TEST_F(CaptionWriterTest, AHeldFileIsRetriedForASecondThenPendingUntilItGoesOrANewerTextComes) {
  disk.wide.files[kCaption] = "before";
  disk.wide.held.insert(kCaption);  // a reader that does not share deleting
  showTrack("one");
  const Clock::time_point start = Clock::now();
  runDueWork(start);
  EXPECT_EQ(writer.dueAt(), start + FileOutput::kHeldRetry);
  Clock::time_point now = start;
  while (now - start < FileOutput::kHeldRetryFor) {
    now = *writer.dueAt();
    runDueWork(now);
  }
  EXPECT_EQ(renamesTried(), 41);
  EXPECT_EQ(writer.dueAt(), now + FileOutput::kPendingRetry) << "pending: tried at the next chance";
  // A newer text replaces the pending one and gets its own second of retries.
  showTrack("two");
  runDueWork(now + 10ms);
  EXPECT_EQ(writer.dueAt(), now + 10ms + FileOutput::kHeldRetry);
  disk.wide.held.clear();  // the reader lets go
  runDueWork(*writer.dueAt());
  EXPECT_EQ(disk.wide.files[kCaption], "two");
  EXPECT_EQ(written(), std::vector<std::string>{"two"});
  EXPECT_FALSE(writer.dueAt());
}

TEST_F(CaptionWriterTest, AnyOtherFailureWaitsForTheNextChangeAndTurningTheFileOffStopsEverything) {
  disk.wide.missingFolders.insert(u"C:\\obs");
  showTrack("one");
  runDueWork();
  EXPECT_FALSE(writer.dueAt()) << "no retries into a folder that is not there";
  disk.wide.missingFolders.clear();
  runDueWork();
  EXPECT_TRUE(written().empty()) << "the folder came back, but nothing changed since";
  showTrack("two");
  runDueWork();
  EXPECT_EQ(written(), std::vector<std::string>{"two"});

  disk.wide.held.insert(kCaption);
  showTrack("three");
  runDueWork();
  ASSERT_TRUE(writer.dueAt());
  state.setSettings(CaptionSettings{});
  runDueWork();
  showTrack("four");
  runDueWork();
  EXPECT_FALSE(writer.dueAt());
  EXPECT_EQ(renamesTried(), 2) << "nothing once the file is off";
}

TEST_F(CaptionWriterTest, EachWritesOutcomeIsKeptWithTheReasonOfAFailure) {
  EXPECT_EQ(writer.status().outcome, CaptionOutcome::nothingYet);
  disk.wide.files[kCaption] = "before";
  disk.wide.held.insert(kCaption);
  showTrack("held");
  runDueWork();
  EXPECT_EQ(writer.status().outcome, CaptionOutcome::held);
  disk.wide.held.clear();

  // Each failure as the disk makes it, with the code it says.
  struct Failure {
    std::function<void()> make;
    std::uint32_t error;
    CaptionOutcome outcome;
  };
  const Failure failures[] = {
      {[&] { disk.wide.missingFolders.insert(u"C:\\obs"); }, 3, CaptionOutcome::folderMissing},
      {[&] { disk.wide.readOnly.insert(kCaption); }, 5, CaptionOutcome::denied},
      {[&] { disk.room = 0; }, 112, CaptionOutcome::diskFull},
      // The creation, after the removals of leftovers, fails on a device error.
      {[&] { disk.failAt = disk.steps + static_cast<int>(kTemporaryNames); }, 1117, CaptionOutcome::otherFailure}};
  for (const Failure& failure : failures) {
    SCOPED_TRACE(failure.error);
    failure.make();
    showTrack("text " + std::to_string(failure.error));
    runDueWork();
    EXPECT_EQ(writer.status().outcome, failure.outcome);
    EXPECT_EQ(writer.status().code, static_cast<int>(failure.error));
    EXPECT_EQ(disk.wide.files[kCaption], "before");
    // The disk as it was.
    disk.wide.missingFolders.clear();
    disk.wide.readOnly.clear();
    disk.room = std::numeric_limits<std::size_t>::max();
    disk.failAt = -1;
  }
  showTrack("at last");
  runDueWork();
  EXPECT_EQ(writer.status().outcome, CaptionOutcome::written);
}

TEST_F(CaptionWriterTest, AnotherPathGetsTheTextAgain) {
  showTrack("same");
  runDueWork();
  state.setSettings(CaptionSettings{u"D:\\other.txt", "", false});
  runDueWork();
  EXPECT_EQ(disk.wide.replaced, (std::vector<std::pair<std::u16string, std::string>>{{kCaption, "same"},
                                                                                    {u"D:\\other.txt", "same"}}));
}

}  // namespace
}  // namespace tavrik
