// What the caption file gets, decided by the player's state and the texts
// and written by the plug-in's thread between tracks: UTF-8 without a mark, the
// idle caption on stop, the track's again on resume, only changes written,
// and a held file retried, then kept pending, never given up.
#include <gtest/gtest.h>

#include "caption/caption_state.h"
#include "caption/caption_writer.h"
#include "fakes.h"

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
    files.files[kIdleTemplate] = "<p>\r\n\tBack soon</p>\r\n";
  }
  // What the plug-in's thread does when it finds the writer due.
  void runDueWork(Clock::time_point now) {
    std::optional<Clock::time_point> due = writer.dueAt();
    if (due && *due <= now) writer.perform(now);
  }
  void runDueWork() { runDueWork(Clock::now()); }
  std::vector<std::string> written() const {
    std::vector<std::string> out;
    for (const auto& write : files.wideWrites) {
      EXPECT_EQ(write.first, kCaption);
      out.push_back(write.second);
    }
    return out;
  }

  // The tracks' texts, all of one file's tags.
  void showTrack(const AnsiOrWide& text) { state.track(TrackTags{"t", "a", "b", "c", "g"}, text); }

  CaptionState state;
  testing::FakeFileSystem files;
  testing::FakeCodePage codePage;
  CaptionWriter writer{state, files, codePage};
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
  files.files["C:\\obs\\plain.txt"] = "#ARTIST live:\r\n#TITLE";
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
  files.wideOutcomes.assign(50, ReplaceOutcome::HeldElsewhere);
  showTrack("one");
  const Clock::time_point start = Clock::now();
  runDueWork(start);
  EXPECT_EQ(writer.dueAt(), start + CaptionWriter::kHeldRetry);
  Clock::time_point now = start;
  while (now - start < CaptionWriter::kHeldRetryFor) {
    now = *writer.dueAt();
    runDueWork(now);
  }
  EXPECT_EQ(files.wideWrites.size(), 41u);
  EXPECT_EQ(writer.dueAt(), now + CaptionWriter::kPendingRetry) << "pending: tried at the next chance";
  // A newer text replaces the pending one and gets its own second of retries.
  showTrack("two");
  runDueWork(now + 10ms);
  EXPECT_EQ(writer.dueAt(), now + 10ms + CaptionWriter::kHeldRetry);
  files.wideOutcomes.clear();  // the reader lets go
  runDueWork(*writer.dueAt());
  EXPECT_EQ(files.wideFiles[kCaption], "two");
  EXPECT_FALSE(writer.dueAt());
}

TEST_F(CaptionWriterTest, AnyOtherFailureWaitsForTheNextChangeAndTurningTheFileOffStopsEverything) {
  files.wideOutcomes = {ReplaceOutcome::Failed};
  showTrack("one");
  runDueWork();
  EXPECT_FALSE(writer.dueAt()) << "no retries into a folder that is not there";
  showTrack("two");
  runDueWork();
  EXPECT_EQ(written(), (std::vector<std::string>{"one", "two"}));

  files.wideOutcomes = {ReplaceOutcome::HeldElsewhere};
  showTrack("three");
  runDueWork();
  ASSERT_TRUE(writer.dueAt());
  state.setSettings(CaptionSettings{});
  runDueWork();
  showTrack("four");
  runDueWork();
  EXPECT_FALSE(writer.dueAt());
  EXPECT_EQ(written().size(), 3u);
}

TEST_F(CaptionWriterTest, EachWritesOutcomeIsKeptWithTheReasonOfAFailure) {
  EXPECT_EQ(writer.status().outcome, CaptionOutcome::nothingYet);
  files.wideOutcomes = {ReplaceOutcome::HeldElsewhere, ReplaceOutcome::Failed, ReplaceOutcome::Failed,
                        ReplaceOutcome::Failed, ReplaceOutcome::Failed};
  const std::pair<std::uint32_t, CaptionOutcome> failures[] = {{3, CaptionOutcome::folderMissing},
                                                                 {5, CaptionOutcome::denied},
                                                                 {112, CaptionOutcome::diskFull},
                                                                 {1117, CaptionOutcome::otherFailure}};
  showTrack("held");
  runDueWork();
  EXPECT_EQ(writer.status().outcome, CaptionOutcome::held);
  for (const auto& [error, outcome] : failures) {
    files.wideError = error;
    showTrack("text " + std::to_string(error));
    runDueWork();
    EXPECT_EQ(writer.status().outcome, outcome) << error;
    EXPECT_EQ(writer.status().code, static_cast<int>(error));
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
  ASSERT_EQ(files.wideWrites.size(), 2u);
  EXPECT_EQ(files.wideWrites[1], (std::pair<std::u16string, std::string>{u"D:\\other.txt", "same"}));
}

}  // namespace
}  // namespace tavrik
