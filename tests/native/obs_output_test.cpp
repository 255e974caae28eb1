// The OBS output's thread over a fake OBS and a clock that moves only when
// the thread waits: off means no traffic; the newest text wins; a refused
// password or a missing source shows in the status and the next right
// setting works; OBS away is tried again with a growing pause; finish ends a
// hung connection.
#include "obs/obs_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>
#include <thread>

#include "obs_fakes.h"

namespace tavrik {
namespace {

using namespace std::chrono_literals;
using testing::FakeObs;
using testing::FakeTiming;
using testing::FakeWebSocket;
using testing::OpenSslHashing;
using Clock = std::chrono::steady_clock;
using Pauses = std::vector<std::chrono::milliseconds>;

class ObsOutputTest : public ::testing::Test {
 protected:
  ObsOutputTest() { obs.addInput("Caption"); }

  ObsSettings settings(const std::string& source = "Caption", const std::string& password = "") {
    ObsSettings s;
    s.address = "127.0.0.1:4471";
    s.password = password;
    s.source = source;
    return s;
  }
  bool textsBecome(const std::vector<std::string>& wanted) {
    return obs.waitUntil([&] { return obs.textsSoFar() == wanted; });
  }
  bool statusBecomes(ObsOutcome outcome) {
    for (int i = 0; i < 1000; ++i) {
      if (output.status().outcome == outcome) return true;
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }

  FakeTiming timing;
  FakeObs obs{&timing};
  OpenSslHashing hashing;
  ObsOutput output{std::make_unique<FakeWebSocket>(obs), hashing, &timing};
};

TEST_F(ObsOutputTest, OffMeansNoConnectionAndNoTraffic) {
  output.setText("a");
  output.configure(settings(""));
  output.setText("b");
  output.finish(Clock::now() + 2s);
  EXPECT_TRUE(obs.connects().empty());
  EXPECT_TRUE(obs.sent().empty());
  EXPECT_EQ(output.status().outcome, ObsOutcome::nothingYet);
}

TEST_F(ObsOutputTest, SetsTheNewestTextOnceConnectedAndEachNewOne) {
  output.setText("before the settings");
  output.setText("Tom & Jerry");
  output.configure(settings());
  ASSERT_TRUE(textsBecome({"Tom & Jerry"}));
  output.setText("東京");
  ASSERT_TRUE(textsBecome({"Tom & Jerry", "東京"}));
  EXPECT_TRUE(statusBecomes(ObsOutcome::textSet));
  EXPECT_GT(output.status().at.time_since_epoch().count(), 0);
  EXPECT_EQ(obs.connects().size(), 1u) << "one connection serves every text";
  EXPECT_EQ(obs.requestedInputs(), (std::vector<std::string>{"Caption", "Caption"}));
}

TEST_F(ObsOutputTest, TextsThatCameWhileOneWasOnItsWayGiveWayToTheNewest) {
  output.configure(settings());
  output.setText("first");
  ASSERT_TRUE(textsBecome({"first"}));
  obs.holdAnswers(true);
  output.setText("second");
  ASSERT_TRUE(obs.waitUntil([&] { return obs.sentCount() == 3; })) << "identify, first, second";
  // Each returns at once, though OBS holds the answer to "second".
  output.setText("third");
  output.setText("fourth");
  obs.holdAnswers(false);
  ASSERT_TRUE(textsBecome({"first", "second", "fourth"}));
  output.finish(Clock::now() + 2s);
  EXPECT_EQ(obs.texts(), (std::vector<std::string>{"first", "second", "fourth"}));
}

TEST_F(ObsOutputTest, TheCoverFileGoesToTheImageSourceAfterTheTextOnTheSameConnection) {
  obs.addInput("Cover");
  ObsSettings both = settings();
  both.coverSource = "Cover";
  output.configure(both);
  output.setCoverFile("C:\\obs\\cover.png");
  output.setText("a");
  ASSERT_TRUE(obs.waitUntil([&] { return obs.filesSoFar().size() == 1 && obs.textsSoFar().size() == 1; }));
  // The same file again: its content changed, so OBS is told again.
  output.setCoverFile("C:\\obs\\cover.png");
  ASSERT_TRUE(obs.waitUntil([&] { return obs.filesSoFar().size() == 2; }));
  EXPECT_EQ(obs.requestedInputs(), (std::vector<std::string>{"Caption", "Cover", "Cover"}));
  EXPECT_EQ(obs.files(), (std::vector<std::string>{"Cover: C:\\obs\\cover.png", "Cover: C:\\obs\\cover.png"}));
  EXPECT_TRUE(statusBecomes(ObsOutcome::textSet)) << "beside a text source the line tells of the text";
  EXPECT_EQ(obs.connects().size(), 1u);

  // An image source alone: its own outcome; a missing one is asked for
  // again, and the text source's name is never asked for.
  ObsSettings coverOnly = settings("");
  coverOnly.coverSource = "Covre";
  output.configure(coverOnly);
  ASSERT_TRUE(statusBecomes(ObsOutcome::noCoverSource));
  EXPECT_EQ(output.status().code, 600);
  ASSERT_TRUE(obs.waitUntil([&] { return obs.requestsSoFar() >= 6; })) << "asked again";
  obs.addInput("Covre");
  ASSERT_TRUE(statusBecomes(ObsOutcome::coverSet));
  const std::vector<std::string> asked = obs.requestedInputs();
  EXPECT_EQ(std::count(asked.begin() + 3, asked.end(), "Caption"), 0);
  EXPECT_EQ(obs.files().back(), "Covre: C:\\obs\\cover.png");
}

TEST_F(ObsOutputTest, AWrongPasswordIsKeptAsTheStatusAndTheRightOneWorks) {
  obs.setPassword("right");
  timing.holdAfter = 1;
  output.setText("a");
  output.configure(settings("Caption", "wrong"));
  ASSERT_TRUE(statusBecomes(ObsOutcome::passwordRefused));
  EXPECT_EQ(output.status().code, 4009);
  output.setText("b");  // never waits for the refused connection
  output.configure(settings("Caption", "right"));
  ASSERT_TRUE(textsBecome({"b"}));
  EXPECT_TRUE(statusBecomes(ObsOutcome::textSet));
}

TEST_F(ObsOutputTest, AMissingSourceIsAskedForAgainLessOftenUntilItIsThere) {
  output.configure(settings("Captoin"));
  output.setText("a");
  ASSERT_TRUE(statusBecomes(ObsOutcome::noSource));
  EXPECT_EQ(output.status().code, 600);
  ASSERT_TRUE(obs.waitUntil([&] { return obs.sentCount() >= 6; }));
  // The user makes the source: the next ask sets the text.
  obs.addInput("Captoin");
  ASSERT_TRUE(textsBecome({"a"}));
  EXPECT_TRUE(statusBecomes(ObsOutcome::textSet));
  output.finish(Clock::now() + 2s);
  // The waits between the asks, seen as the idle connection's limits.
  const std::vector<std::chrono::milliseconds> waits = obs.idleLimits();
  ASSERT_GE(waits.size(), 4u);
  EXPECT_EQ(Pauses(waits.begin(), waits.begin() + 4), (Pauses{250ms, 500ms, 1000ms, 2000ms}));
  EXPECT_TRUE(timing.pauses().empty()) << "the connection stayed up";
}

TEST_F(ObsOutputTest, OBSAwayIsTriedAgainWithAGrowingPauseAndGetsTheNewestTextWhenUp) {
  obs.setRunning(false);
  timing.onPause = [&](std::size_t count) {
    if (count == 8) obs.setRunning(true);
  };
  output.configure(settings());
  output.setText("a");
  ASSERT_TRUE(textsBecome({"a"}));
  EXPECT_EQ(timing.pauses(), (Pauses{250ms, 500ms, 1000ms, 2000ms, 4000ms, 4000ms, 4000ms, 4000ms}));
  EXPECT_EQ(obs.connects().size(), 9u);

  // OBS restarts: a new OBS that has never seen the text gets it, after a
  // pause that starts short again.
  timing.onPause = nullptr;
  obs.closeConnection(1001, "Server stopping.");
  ASSERT_TRUE(textsBecome({"a", "a"}));
  EXPECT_EQ(timing.pauses().back(), 250ms);
  for (const testing::Connect& connect : obs.connects()) {
    EXPECT_EQ(connect.host, "127.0.0.1");
    EXPECT_EQ(connect.port, 4471);
  }
}

TEST_F(ObsOutputTest, OBSNotRunningShowsInTheStatus) {
  obs.setRunning(false);
  timing.holdAfter = 1;
  output.configure(settings());
  EXPECT_TRUE(statusBecomes(ObsOutcome::notRunning));
}

TEST_F(ObsOutputTest, AnAddressThatIsNoAddressIsNeverTried) {
  ObsSettings bad = settings();
  bad.address = "127.0.0.1:99999";
  output.configure(bad);
  ASSERT_TRUE(statusBecomes(ObsOutcome::badAddress));
  output.finish(Clock::now() + 2s);
  EXPECT_TRUE(obs.connects().empty());
}

TEST_F(ObsOutputTest, NewSettingsLeaveTheOldConnectionAndStartAfresh) {
  output.configure(settings());
  output.setText("a");
  ASSERT_TRUE(textsBecome({"a"}));
  obs.addInput("Other");
  output.configure(settings("Other"));
  ASSERT_TRUE(textsBecome({"a", "a"}));
  EXPECT_EQ(obs.requestedInputs().back(), "Other");
  EXPECT_EQ(obs.connects().size(), 2u);
  // Turned off: the connection closes and nothing more is sent.
  output.configure(settings(""));
  ASSERT_TRUE(obs.waitUntil([&] { return !obs.connectedNow(); }));
  EXPECT_EQ(output.status().outcome, ObsOutcome::nothingYet);
  output.setText("b");
  output.configure(settings("Other"));
  ASSERT_TRUE(textsBecome({"a", "a", "b"}));
}

TEST_F(ObsOutputTest, FinishLetsTheLastTextOutThenSaysGoodbye) {
  output.configure(settings());
  output.setText("a");
  ASSERT_TRUE(textsBecome({"a"}));
  output.setText("stopped");
  output.finish(Clock::now() + 2s);
  EXPECT_EQ(obs.texts(), (std::vector<std::string>{"a", "stopped"}));
  EXPECT_FALSE(obs.connected());
  output.setText("after quit");
  output.configure(settings("Other"));
  EXPECT_EQ(obs.connects().size(), 1u);
}

TEST_F(ObsOutputTest, FinishCutsShortAnOBSThatNeverAnswers) {
  output.configure(settings());
  output.setText("a");
  ASSERT_TRUE(textsBecome({"a"}));
  obs.holdAnswers(true);  // hung: the answer to "b" never comes
  output.setText("b");
  ASSERT_TRUE(obs.waitUntil([&] { return obs.sentCount() == 3; }));
  output.finish(Clock::now() + 200ms);
  EXPECT_TRUE(obs.sawInterrupt());
  EXPECT_FALSE(obs.stalled()) << "the receive was left to its own time-out";
  EXPECT_FALSE(obs.connected());
}

TEST_F(ObsOutputTest, FinishWhileOBSIsAwayEndsThePauseAtOnce) {
  obs.setRunning(false);
  timing.holdAfter = 1;  // the first pause waits for real
  output.configure(settings());
  ASSERT_TRUE(statusBecomes(ObsOutcome::notRunning));
  output.finish(Clock::now() + 2s);
  EXPECT_EQ(timing.pauses().size(), 1u);
  EXPECT_FALSE(obs.stalled());
}

// A socket whose receives throw, as one that runs out of memory for what a
// hostile peer sends would.
class ThrowingWebSocket : public FakeWebSocket {
 public:
  ThrowingWebSocket(FakeObs& obs, int throws) : FakeWebSocket(obs), throws_(throws) {}
  WebSocketReceived receive(Limit limit, bool wakeable) override {
    if (throws_.fetch_sub(1) > 0) throw std::bad_alloc();
    return FakeWebSocket::receive(limit, wakeable);
  }

 private:
  std::atomic<int> throws_;
};

TEST(ObsOutputThrowing, AnythingThrownIsToldAndTheOutputStartsOverWhileItIsOn) {
  FakeTiming timing;
  FakeObs obs{&timing};
  obs.addInput("Caption");
  OpenSslHashing hashing;
  std::vector<ObsOutcome> atPauses;
  ObsOutput* watched = nullptr;
  timing.onPause = [&](std::size_t) { atPauses.push_back(watched->status().outcome); };
  ObsOutput output{std::make_unique<ThrowingWebSocket>(obs, 3), hashing, &timing};
  watched = &output;
  ObsSettings on;
  on.address = "127.0.0.1:4471";
  on.source = "Caption";
  output.setText("a");
  output.configure(on);
  ASSERT_TRUE(obs.waitUntil([&] { return obs.textsSoFar() == std::vector<std::string>{"a"}; }));
  output.finish(Clock::now() + 2s);
  ASSERT_EQ(atPauses.size(), 3u) << "one pause after each throw, then the text";
  for (ObsOutcome outcome : atPauses) EXPECT_EQ(outcome, ObsOutcome::otherFailure);
  EXPECT_EQ(timing.pauses(), (Pauses{250ms, 500ms, 1000ms})) << "the same growing pause as for OBS away";
  EXPECT_EQ(output.status().outcome, ObsOutcome::textSet);
}

}  // namespace
}  // namespace tavrik
